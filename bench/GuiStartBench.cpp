// korvatool's start to its first visible window: the same application object
// the program's main runs, linked the same way, with a watcher that ends the
// process once the first window has been painted (its own paint event, then
// its children's in the same pass). The script times the whole process from
// exec, so loading the libraries counts too.
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "app/ui/ToolApp.h"

namespace {

class FirstVisibleWindow final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_Seen) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->isWindow()) {
                m_Seen = true;
                // Queued: the children paint in the same pass, before it runs.
                QMetaObject::invokeMethod(
                    qApp, [] { std::fflush(nullptr); std::_Exit(0); }, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    bool m_Seen = false;
};

void WatchForFirstWindow() { qApp->installEventFilter(new FirstVisibleWindow); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchForFirstWindow)

int main(int argc, char** argv) {
    korva::app::ui::CToolApp app;
    return app.Run(argc, argv);
}
