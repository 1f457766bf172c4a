#include "windows/PasswordDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Window managers draw the title in the system font, often bold, beside an icon and
// three buttons, each about two lines of text wide.
constexpr int titleBarLines = 8;

QLineEdit* addField(QFormLayout* form, const QString& label, const QString& text, bool shown)
{
    auto* field = new QLineEdit(text);
    form->addRow(label, field);
    form->setRowVisible(field, shown);
    return field;
}

}

PasswordDialog::PasswordDialog(const CredentialRequest& request, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Authentication Required"));
    auto* layout = new QVBoxLayout(this);
    auto* message = new QLabel(request.message);
    message->setWordWrap(true);
    message->setTextFormat(Qt::PlainText);
    layout->addWidget(message);
    if (request.anonymousAllowed) {
        m_guest = new QRadioButton(tr("Connect as &guest"));
        m_registered = new QRadioButton(tr("Connect as &registered user"));
        m_registered->setChecked(true);
        layout->addWidget(m_guest);
        layout->addWidget(m_registered);
        connect(m_guest, &QRadioButton::toggled, this, &PasswordDialog::updateFields);
    }
    auto* form = new QFormLayout;
    layout->addLayout(form);
    addCredentialFields(request, form);
    if (request.savingSupported)
        addSaveChoice(layout);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Co&nnect"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    fitTitle();
}

// The choices the desktop's own password dialogs offer; the password is forgotten unless
// the user asks otherwise.
void PasswordDialog::addSaveChoice(QVBoxLayout* layout)
{
    m_save = new QButtonGroup(this);
    const std::pair<QString, PasswordSave> choices[] = {
        {tr("Forget password &immediately"), PasswordSave::Never},
        {tr("Remember password until you &log out"), PasswordSave::ForSession},
        {tr("Remember for&ever"), PasswordSave::Permanently},
    };
    for (const auto& [text, save] : choices) {
        auto* choice = new QRadioButton(text);
        m_save->addButton(choice, int(save));
        layout->addWidget(choice);
    }
    m_save->button(int(PasswordSave::Never))->setChecked(true);
}

void PasswordDialog::fitTitle()
{
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int titleWidth =
        metrics.horizontalAdvance(windowTitle()) + titleBarLines * metrics.height();
    setMinimumWidth(std::max(minimumSizeHint().width(), titleWidth));
}

void PasswordDialog::addCredentialFields(const CredentialRequest& request, QFormLayout* form)
{
    m_user = addField(form, tr("&User:"), request.defaultUser, request.needsUser);
    m_domain = addField(form, tr("&Domain:"), request.defaultDomain, request.needsDomain);
    m_password = addField(form, tr("&Password:"), QString(), request.needsPassword);
    m_password->setEchoMode(QLineEdit::Password);
    (request.needsPassword && !request.defaultUser.isEmpty() ? m_password : m_user)->setFocus();
}

void PasswordDialog::updateFields()
{
    const bool registered = !m_guest || !m_guest->isChecked();
    for (QLineEdit* field : {m_user, m_domain, m_password})
        field->setEnabled(registered);
    if (m_save) {
        for (QAbstractButton* choice : m_save->buttons())
            choice->setEnabled(registered);
    }
}

Credentials PasswordDialog::credentials() const
{
    Credentials credentials;
    credentials.anonymous = m_guest && m_guest->isChecked();
    if (!credentials.anonymous) {
        credentials.user = m_user->text();
        credentials.domain = m_domain->text();
        credentials.password = m_password->text();
        if (m_save)
            credentials.save = PasswordSave(m_save->checkedId());
    }
    return credentials;
}

std::optional<Credentials> PasswordDialog::ask(const CredentialRequest& request)
{
    PasswordDialog dialog(request);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.credentials();
}
