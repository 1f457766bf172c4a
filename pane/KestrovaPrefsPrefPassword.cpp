#include "KTDragTextField.h"
#include "KestrovaPrefsPref.h"
#include "PasswordSheet.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

const QString failedTitle = QStringLiteral("Password Change failed");

// Over the sheet, which closes only after the alert: the outcome shows while the
// request it answers is still in view.
void showAlert(
    QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& message)
{
    QMessageBox alert(icon, title, message, QMessageBox::Ok, parent);
    // The program's text as it stands: never read as markup.
    alert.setTextFormat(Qt::PlainText);
    alert.exec();
}

}

void KestrovaPrefsPref::setPasswordProgram(const QString& program)
{
    m_passwordChange = std::make_unique<SmbPasswordChange>(program);
    connect(m_passwordChange.get(), &SmbPasswordChange::finished, this,
        &KestrovaPrefsPref::passwordChangeFinished);
}

PasswordSheet* KestrovaPrefsPref::passwordWindow()
{
    if (PasswordSheet* existing = m_passwordWindow.data())
        return existing;
    auto* sheet = new PasswordSheet(m_outlets.preferencesBox->window());
    m_passwordWindow = sheet;
    sheet->domainServerField()->setFieldEditorSource(
        [this](QObject* field) { return windowWillReturnFieldEditor(field); });
    connect(
        sheet, &PasswordSheet::changePasswordRequested, this, &KestrovaPrefsPref::changePassword);
    connect(sheet, &PasswordSheet::cancelRequested, this, &KestrovaPrefsPref::cancelPasswordChange);
    return sheet;
}

void KestrovaPrefsPref::openPasswordSheet()
{
    // The fields keep what was typed; the confirm button keeps its state.
    passwordWindow()->open();
}

void KestrovaPrefsPref::cancelPasswordChange()
{
    PasswordSheet* sheet = m_passwordWindow.data();
    if (sheet && !sheet->isBusy())
        sheet->done(0);
}

void KestrovaPrefsPref::changePassword()
{
    PasswordSheet* sheet = m_passwordWindow.data();
    if (!sheet || sheet->isBusy() || !sheet->changePasswordButton()->isEnabled())
        return;
    m_changingServer = sheet->domainServerField()->text();
    m_changingUser = sheet->usernameField()->text();
    const SmbPasswordChange::Request request {m_changingServer, m_changingUser,
        sheet->oldPasswordField()->text(), sheet->passwordField()->text(),
        sheet->passwordVerifyField()->text()};
    sheet->setBusy(true);
    const Result<void> started = m_passwordChange->start(request);
    if (!started)
        passwordChangeFinished(started);
}

void KestrovaPrefsPref::passwordChangeFinished(const Result<void>& outcome)
{
    PasswordSheet* sheet = m_passwordWindow.data();
    if (!sheet)
        return;
    sheet->setBusy(false);
    if (outcome) {
        showAlert(sheet, QMessageBox::Information, QStringLiteral("Password Changed"),
            QStringLiteral("Succesfully changed password for user %1 on server %2")
                .arg(m_changingUser, m_changingServer));
    } else {
        showAlert(sheet, QMessageBox::Warning, failedTitle, outcome.reason());
    }
    sheet->done(1);
}
