#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <deque>
#include <string>
#include <vector>

namespace qvr::test {

/// Answers the program's real boxes as a user does: each key goes to the active modal window through the
/// window system, the path a user's key takes. Keeps what each box showed as "caption: text"; a box
/// beyond the given keys is answered with Esc, so that a test ends and shows it.
class KeyAnswers {
  public:
    explicit KeyAnswers(std::deque<Qt::Key> keys) : keys_(std::move(keys)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start(10);
    }

    const std::vector<std::string>& shown() const { return shown_; }

  private:
    void answer() {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible() || !box->windowHandle()) return;
        const auto* message = qobject_cast<QMessageBox*>(box);
        shown_.push_back((box->windowTitle() + ": " + (message ? message->text() : QString())).toStdString());
        Qt::Key key = Qt::Key_Escape;
        if (!keys_.empty()) {
            key = keys_.front();
            keys_.pop_front();
        }
        QTest::keyClick(box->windowHandle(), key);
    }

    std::deque<Qt::Key> keys_;
    std::vector<std::string> shown_;
    QTimer timer_;
};

}  // namespace qvr::test
