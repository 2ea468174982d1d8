// Road: the controller's port disappears in the middle of a read and comes back under the
// same name; the next command succeeds without restarting the program.

#include "roadsupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

// Points `link` at `target` in one step, as a re-plugged adapter reappears under its name.
bool pointLink(const QString &link, const QString &target)
{
    const QByteArray temp = QFile::encodeName(link + QStringLiteral(".new"));
    ::unlink(temp.constData());
    return ::symlink(QFile::encodeName(target).constData(), temp.constData()) == 0
        && ::rename(temp.constData(), QFile::encodeName(link).constData()) == 0;
}

} // namespace

class TestRoadPortLoss : public QObject
{
    Q_OBJECT

private slots:
    void road();
};

void TestRoadPortLoss::road()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyUSB-lumaro"));
    Road road;
    QVERIFY(road.started);
    QVERIFY(pointLink(link, road.sim->portName()));
    road.dialog->selectPort(link);
    QVERIFY(road.authorise());
    road.showTab(1);

    // The first channel's answer is late; the adapter is pulled while the worker waits for it.
    road.sim->injectFault({SimFault::Late, 1, 2000, 4});
    road.button("readSettingsButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(road.sim->requestCount(4) >= 1, Road::kWaitMs);
    road.sim->closeLine();
    QTRY_VERIFY_WITH_TIMEOUT(road.dialog->isEnabled(), Road::kWaitMs);
    QCOMPARE(road.status(), MasterThread::noConnectionText());
    QVERIFY(road.dialog->isAuthorised());

    ControllerModel model;
    model.setHardware(QStringLiteral("8.1"));
    SimServer replugged(model);
    QVERIFY(replugged.start());
    QVERIFY(pointLink(link, replugged.portName()));
    QVERIFY(road.click("readSettingsButton"));
    QCOMPARE(road.status(), QString());
    QCOMPARE(replugged.requestCount(4), 8);
}

QTEST_MAIN(TestRoadPortLoss)
#include "tst_road_portloss.moc"
