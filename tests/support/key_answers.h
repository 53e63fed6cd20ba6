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
/// beyond the given keys is answered with Esc, so that a test ends and shows it. A box that asks for text
/// (an input box, a file dialog) first gets the next of `texts` typed into its focused control.
class KeyAnswers {
  public:
    explicit KeyAnswers(std::deque<Qt::Key> keys, std::deque<QString> texts = {})
        : keys_(std::move(keys)), texts_(std::move(texts)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start(10);
    }

    const std::vector<std::string>& shown() const { return shown_; }
    /// Answers no more boxes (the next ones are another's to answer).
    void stop() { timer_.stop(); }

  private:
    void answer() {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible() || !box->windowHandle()) return;
        const auto* message = qobject_cast<QMessageBox*>(box);
        // Text goes to the box's own control: wait until the box has taken the focus.
        if (!message && !texts_.empty() && QApplication::activeWindow() != box) return;
        shown_.push_back((box->windowTitle() + ": " + (message ? message->text() : QString())).toStdString());
        if (!message && !texts_.empty()) {
            QTest::keyClicks(QApplication::focusWidget(), texts_.front());
            texts_.pop_front();
        }
        Qt::Key key = Qt::Key_Escape;
        if (!keys_.empty()) {
            key = keys_.front();
            keys_.pop_front();
        }
        QTest::keyClick(box->windowHandle(), key);
    }

    std::deque<Qt::Key> keys_;
    std::deque<QString> texts_;
    std::vector<std::string> shown_;
    QTimer timer_;
};

}  // namespace qvr::test
