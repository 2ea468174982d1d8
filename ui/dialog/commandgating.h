#pragma once

// Which command controls may be pressed, and with which tool tips, given the session, the tab
// on show, its read and changed state and the controller's firmware version.

#include <QString>

// The window's tabs, in the order they are shown.
enum TabIndex { ControllerTab, AnalogChannelsTab, DigitalChannelsTab, TabCount };

struct GatingInput {
    bool on = false;         // false disables every gated control
    bool authorised = false; // a session with the controller is open
    int tab = ControllerTab;
    bool readed = false;     // the tab's settings were read or written
    bool changed = false;    // the tab holds edits the controller does not have
    QString fwVersion;       // last firmware version reported with the buttons signal
    bool controllerReaded = false; // the controller settings were read in this session
};

struct ControlState {
    bool enabled = false;
    QString toolTip;
};

struct CommandGating {
    ControlState readSettings;
    ControlState writeSettings;
    ControlState readData;
    bool exitEnabled = false;
    bool changePasswordEnabled = false;
    bool testEnabled = false;
    ControlState uploadFirmware;
    bool monitorEnabled = false; // "Наблюдение", as "Считать показания"
    bool reportEnabled = false;  // "Отчёт"
};

CommandGating commandGating(const GatingInput &in);
