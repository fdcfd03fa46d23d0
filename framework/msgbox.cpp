#include "framework/msgbox.h"

#include "framework/application.h"

#include <QMessageBox>
#include <QPointer>

namespace fw {

namespace {
int g_boxes = 0;
}

void MsgBox(const QString& text) {
    ++g_boxes;
    Application* app = Application::Current();
    QPointer<QMessageBox> box = new QMessageBox(app ? &app->FrameWindow() : nullptr);
    box->setObjectName(QStringLiteral("MsgBox"));
    box->setWindowTitle(QStringLiteral("Quorril"));
    box->setIcon(QMessageBox::Warning);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setStandardButtons(QMessageBox::Ok);
    // A title and a close box; nothing to minimise or maximise.
    box->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    box->setWindowModality(Qt::ApplicationModal);
    box->exec();
    delete box.data();
}

int MsgBoxCount() { return g_boxes; }

}  // namespace fw
