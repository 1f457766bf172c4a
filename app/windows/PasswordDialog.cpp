#include "windows/PasswordDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

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
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Co&nnect"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
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
}

Credentials PasswordDialog::credentials() const
{
    Credentials credentials;
    credentials.anonymous = m_guest && m_guest->isChecked();
    if (!credentials.anonymous) {
        credentials.user = m_user->text();
        credentials.domain = m_domain->text();
        credentials.password = m_password->text();
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
