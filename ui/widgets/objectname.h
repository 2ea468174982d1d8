#pragma once

#include <QLatin1String>

// Names a widget as the window's tests and style find it, and hands it on to its layout.
template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
