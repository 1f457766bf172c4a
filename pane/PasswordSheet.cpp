#include "PasswordSheet.h"

#include "KTDragTextField.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

PasswordSheet::PasswordSheet(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Change SMB Password"));
    setWindowModality(Qt::WindowModal);
    // Room for a server's full name and for the busy line below the fields.
    setMinimumWidth(fontMetrics().averageCharWidth() * 64);
    auto* layout = new QVBoxLayout(this);
    auto* introduction = new QLabel(QStringLiteral(
        "Changes your password on a Windows file server (SMB), the account Kestrova uses "
        "to open its shares."));
    introduction->setWordWrap(true);
    layout->addWidget(introduction);

    auto* form = new QFormLayout;
    m_domainServerField = new KTDragTextField;
    m_domainServerField->setPlaceholderText(QStringLiteral("fs1.example.com"));
    form->addRow(QStringLiteral("&Server:"), m_domainServerField);
    m_usernameField = new QLineEdit;
    form->addRow(QStringLiteral("&User name:"), m_usernameField);
    m_oldPasswordField = addPasswordField(QStringLiteral("Current pass&word:"), form);
    m_passwordField = addPasswordField(QStringLiteral("&New password:"), form);
    m_passwordVerifyField = addPasswordField(QStringLiteral("C&onfirm new password:"), form);
    layout->addLayout(form);

    m_busyLabel = new QLabel;
    m_busyLabel->setTextFormat(Qt::PlainText);
    m_busyIndicator = new QProgressBar;
    m_busyIndicator->setRange(0, 0);
    m_busyIndicator->setTextVisible(false);
    // The sheet keeps its size when they come and go.
    for (QWidget* busyPart :
        {static_cast<QWidget*>(m_busyLabel), static_cast<QWidget*>(m_busyIndicator)}) {
        QSizePolicy policy = busyPart->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        busyPart->setSizePolicy(policy);
        layout->addWidget(busyPart);
        busyPart->hide();
    }
    buildButtons(layout);

    for (QLineEdit* field : {static_cast<QLineEdit*>(m_domainServerField), m_usernameField,
             m_oldPasswordField, m_passwordField, m_passwordVerifyField})
        connect(field, &QLineEdit::textChanged, this, &PasswordSheet::controlTextDidChange);
    controlTextDidChange();
}

QLineEdit* PasswordSheet::addPasswordField(const QString& label, QFormLayout* form)
{
    auto* field = new QLineEdit;
    field->setEchoMode(QLineEdit::Password);
    // A password comes from the keyboard, never from a dropped file's name.
    field->setAcceptDrops(false);
    form->addRow(label, field);
    return field;
}

void PasswordSheet::buildButtons(QVBoxLayout* layout)
{
    auto* buttons = new QDialogButtonBox;
    m_changePasswordButton =
        buttons->addButton(QStringLiteral("C&hange Password"), QDialogButtonBox::AcceptRole);
    m_cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    m_changePasswordButton->setDefault(true);
    connect(m_changePasswordButton, &QPushButton::clicked, this,
        &PasswordSheet::changePasswordRequested);
    connect(m_cancelButton, &QPushButton::clicked, this, &PasswordSheet::cancelRequested);
    layout->addWidget(buttons);
}

void PasswordSheet::controlTextDidChange()
{
    const bool complete = !m_usernameField->text().isEmpty()
        && !m_domainServerField->text().isEmpty() && !m_oldPasswordField->text().isEmpty()
        && !m_passwordField->text().isEmpty() && !m_passwordVerifyField->text().isEmpty();
    m_changePasswordButton->setEnabled(
        !m_busy && complete && m_passwordVerifyField->text() == m_passwordField->text());
}

void PasswordSheet::setBusy(bool busy)
{
    m_busy = busy;
    for (QLineEdit* field : {static_cast<QLineEdit*>(m_domainServerField), m_usernameField,
             m_oldPasswordField, m_passwordField, m_passwordVerifyField})
        field->setReadOnly(busy);
    m_cancelButton->setEnabled(!busy);
    m_busyLabel->setText(
        QStringLiteral("Changing the password on %1\u2026").arg(m_domainServerField->text()));
    m_busyLabel->setVisible(busy);
    m_busyIndicator->setVisible(busy);
    controlTextDidChange();
}

void PasswordSheet::reject()
{
    // Escape and the window's close button cancel, but not while a change runs: its
    // outcome is still to be shown.
    if (m_busy)
        return;
    Q_EMIT cancelRequested();
}
