#pragma once
// The main window's bounds between runs.

#include "app/settings_simple.h"

namespace strovex {

// Width and Height: the window's size in pixels; Left and Top: its position on
// the virtual desktop, -1 when none is stored; IsMaximized: how it was left.
class TMainFormSettings : public TSimpleSettings {
    Q_OBJECT
    Q_PROPERTY(int Width MEMBER Width)
    Q_PROPERTY(int Height MEMBER Height)
    Q_PROPERTY(int Left MEMBER Left)
    Q_PROPERTY(int Top MEMBER Top)
    Q_PROPERTY(bool IsMaximized MEMBER IsMaximized)
public:
    static inline const QString kRegistryKey = QStringLiteral("Software\\Orvandel\\Strovexia\\2.0\\MainFormSettings");

    int Width = 441;
    int Height = 554;
    int Left = -1;
    int Top = -1;
    bool IsMaximized = false;
};

} // namespace strovex
