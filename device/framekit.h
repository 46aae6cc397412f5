// Small helpers the device pages build their widgets with.
#pragma once

#include <QLabel>
#include <QString>

namespace device {

/// Gives a widget its design name.
template <typename W> W* Named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

/// A label with its design name and text.
inline QLabel* Caption(const char* name, const char* text, QWidget* parent)
{
    return Named(new QLabel(QString::fromUtf8(text), parent), name);
}

} // namespace device
