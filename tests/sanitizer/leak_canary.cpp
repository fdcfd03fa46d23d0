// A program that leaks on purpose, once from a timer's callback and once from a window's event
// handler, then quits. Built with the suite's sanitizer flags and run under its suppressions, its
// two leaks must be reported: everything the program allocates in answer to an event has Qt's
// frames below it, and a suppression that matched those would hide the program's own leaks.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace {

// Overwritten at once: the block is unreachable, as a lost pointer is.
void* volatile sink = nullptr;

__attribute__((noinline)) void leakFromTimer() {
    sink = std::malloc(256);
    sink = nullptr;
}

__attribute__((noinline)) void leakFromShowEvent() {
    sink = std::malloc(512);
    sink = nullptr;
}

class Leaky : public QWidget {
protected:
    void showEvent(QShowEvent* e) override {
        leakFromShowEvent();
        QWidget::showEvent(e);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Leaky window;
    window.show();
    QTimer::singleShot(0, [] {
        leakFromTimer();
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    return app.exec();
}
