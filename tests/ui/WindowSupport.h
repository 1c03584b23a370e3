// SPDX-License-Identifier: MIT
// Drives the real window in tests: dialogs answered by the test, events sent to widgets.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStringList>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/Maps.h"
#include "ui/MapArea.h"
#include "ui/Quarl.h"

namespace quarl::testing {

struct Message {
    QString title;
    QString text;
};

// Answers the open dialog with the queued paths and records every message box.
class FakeDialogs final : public ui::WindowDialogs {
  public:
    std::deque<QString> paths;
    std::vector<Message> messages;

    QString ChooseMapFile(QWidget* /*parent*/) override {
        if (paths.empty()) return {};
        QString path = paths.front();
        paths.pop_front();
        return path;
    }
    void ShowMessage(QWidget* /*parent*/, const QString& title, const QString& text) override {
        messages.push_back({title, text});
    }
};

// A window with fake dialogs and scripted random numbers, kept for the test.
class WindowFixture {
  public:
    WindowFixture() {
        auto dialogs = std::make_unique<FakeDialogs>();
        auto random = std::make_unique<ScriptedRandom>(std::deque<float>{}, 0.5f);
        fake = dialogs.get();
        window = std::make_unique<ui::Quarl>(std::move(dialogs), std::move(random));
        window->show();
    }

    template <typename Widget = QWidget>
    Widget* Find(const char* name) const {
        auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
        if (widget == nullptr) throw std::runtime_error(std::string("no control ") + name);
        return widget;
    }
    QString Text(const char* name) const { return Find<QLineEdit>(name)->text(); }
    void SetText(const char* name, const QString& text) const {
        Find<QLineEdit>(name)->setText(text);
    }
    void Trigger(const char* action) const;
    void Click(const char* button) const;
    void LoadFile(const std::string& path);

    ui::MapArea* Buf() const { return Find<ui::MapArea>("BUF"); }
    // Pixel (x, y) of the canvas as a point of the map area widget.
    static QPointF OnBuf(double x, double y) {
        return {x + ui::MapArea::kFrameWidth, y + ui::MapArea::kFrameWidth};
    }
    void Mouse(QEvent::Type type, QPointF at, Qt::MouseButton button,
               Qt::MouseButtons buttons) const;

    FakeDialogs* fake = nullptr;
    std::unique_ptr<ui::Quarl> window;
};

#ifdef _WIN32
// Catches the UI Automation calls of Qt's Windows platform, when it is in use, for UiaTest; called
// once the application is made and before any window is.
void CatchUiAutomation();
#endif

}  // namespace quarl::testing
