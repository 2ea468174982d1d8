#pragma once

// A session through the main window against the simulated controller, for road tests.

#include "app/tabdialog.h"
#include "sim/simserver.h"
#include "tests/support/fakeprompts.h"

#include <QtTest>

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

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

    // Clicks and waits until the command handed to the worker has ended.
    bool click(const char *name)
    {
        QPushButton *b = button(name);
        if (!b || !b->isEnabled())
            return false;
        b->click();
        return QTest::qWaitFor([this] { return dialog->isEnabled(); }, kWaitMs);
    }

    bool authorise() { return click("authButton") && dialog->isAuthorised(); }

    void showTab(int index) { find<QTabWidget>("tabWidget")->setCurrentIndex(index); }

    FakePrompts prompts;
    std::unique_ptr<SimServer> sim;
    std::unique_ptr<TabDialog> dialog;
    bool started = false;
};
