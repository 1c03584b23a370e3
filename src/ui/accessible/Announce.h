// SPDX-License-Identifier: MIT
// Has a screen reader say a text that appeared without the focus moving to it.
#pragma once

#include <QString>

class QObject;

namespace quarl::ui {

// Such as a file command's result in the status line: said wherever the focus is.
void Announce(QObject* source, const QString& text);

}  // namespace quarl::ui
