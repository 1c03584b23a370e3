// SPDX-License-Identifier: MIT
#include "WindowSupport.h"

#include <QAction>
#include <QtTest/QTest>
#include <string>

namespace quarl::testing {

void WindowFixture::Trigger(const char* action) const {
    Find<QAction>(action)->trigger();
}

void WindowFixture::Click(const char* button) const {
    QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
}

void WindowFixture::LoadFile(const std::string& path) {
    fake->paths.push_back(QString::fromStdString(path));
    Trigger("LoadMap");
}

void WindowFixture::Mouse(QEvent::Type type, QPointF at, Qt::MouseButton button,
                          Qt::MouseButtons buttons) const {
    ui::MapArea* buf = Buf();
    QMouseEvent event(type, at, buf->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(buf, &event);
}

}  // namespace quarl::testing
