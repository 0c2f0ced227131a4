#include "platform/qt/GuiThread.h"

#include <QCoreApplication>
#include <QThread>

namespace vel::qt {

void onGuiThread(const std::function<void()>& fn) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(app, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}

}  // namespace vel::qt
