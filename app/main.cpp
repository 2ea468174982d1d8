#include "app/tabdialog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("COM port to select at start."),
                                        QStringLiteral("NAME"));
    parser.addOption(portOption);
    parser.process(app);

    TabDialog dialog;
    if (parser.isSet(portOption))
        dialog.selectPort(parser.value(portOption));
    dialog.setWindowFlags(Qt::Window);
    dialog.show();
    return app.exec();
}
