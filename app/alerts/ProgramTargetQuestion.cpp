#include "alerts/ProgramTargetQuestion.h"

#include "alerts/MessageBoxAlertPresenter.h"
#include "platform/SystemLog.h"
#include "windows/RZStatusController.h"
#include "workspace/ProgramTarget.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace ProgramTargetQuestion {

QString message(const QString& path, const ProgramTargetVerdict& verdict)
{
    return QStringLiteral("\u201c%1\u201d is a program, not a document: %2.\n\n"
                          "Opening it runs it. Open it only if you trust the shortcut and "
                          "the server it points to.\n\n%3")
        .arg(QFileInfo(path).fileName(), verdict.reasons.join(QStringLiteral("; ")), path);
}

bool ask(const QString& path, const ProgramTargetVerdict& verdict)
{
    if (!RZStatusController::displayAvailable()) {
        SystemLog::write(QStringLiteral("Refused to open the program %1: nobody to ask").arg(path));
        return false;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Open program?"), message(path, verdict));
    box.setTextFormat(Qt::PlainText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QPushButton* open = box.addButton(QStringLiteral("Open Program"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    MessageBoxAlertPresenter::execInFront(box);
    return box.clickedButton() == open;
}

}
