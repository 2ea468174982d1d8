#pragma once

// A session through the main window against the simulated controller, for road tests.

#include "ui/dialog/tabdialog.h"
#include "ui/channels/analogtab.h"
#include "ui/channels/rs485tab.h"
#include "ui/settings/settingstab.h"
#include "sim/simserver.h"
#include "tests/support/fakeprompts.h"

#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

struct Road {
    static constexpr int kWaitMs = 30000;

    explicit Road(const QString &hw = QStringLiteral("8.1"), const QString &fw = QStringLiteral("1.4.2"))
    {
        ControllerModel model;
        model.setHardware(hw);
        model.setFirmware(fw);
        sim = std::make_unique<SimServer>(model);
        started = sim->start();
        dialog = std::make_unique<TabDialog>();
        dialog->selectPort(sim->portName());
    }

    ~Road()
    {
        dialog.reset();
        sim->stop();
    }

    QPushButton *button(const char *name) const
    {
        return dialog->findChild<QPushButton *>(QLatin1String(name));
    }

    template <typename W>
    W *find(const char *name) const
    {
        return dialog->findChild<W *>(QLatin1String(name));
    }

    QString status() const { return find<QLabel>("statusLabel")->text(); }

    // A cell widget of "analogTable" or "rs485Table".
    template <typename W = QLineEdit>
    W *cell(const char *table, int row, int column) const
    {
        return qobject_cast<W *>(find<QTableWidget>(table)->cellWidget(row, column));
    }

    // Clicks and waits until the command handed to the worker has ended.
    bool click(const char *name)
    {
        QPushButton *b = button(name);
        if (!b || !b->isEnabled())
            return false;
        b->click();
        return QTest::qWaitFor([this] { return !dialog->isCommandRunning(); }, kWaitMs);
    }

    bool authorise() { return click("authButton") && dialog->isAuthorised(); }

    void showTab(int index) { find<QTabWidget>("tabWidget")->setCurrentIndex(index); }

    // Authorises and reads the given tabs in this order.
    bool readTabs(std::initializer_list<int> tabs)
    {
        if (!authorise())
            return false;
        for (int tab : tabs) {
            showTab(tab);
            if (!click("readSettingsButton"))
                return false;
        }
        return true;
    }

    // Types over an editor's text, as the engineer does.
    static void typeOver(QLineEdit *edit, const QString &text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    // A pick from a combo box's list as the box reports it: the index first, then the choice.
    static void pick(QComboBox *combo, int index)
    {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    FakePrompts prompts;
    std::unique_ptr<SimServer> sim;
    std::unique_ptr<TabDialog> dialog;
    bool started = false;
};
