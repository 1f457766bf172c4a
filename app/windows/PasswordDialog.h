#pragma once

#include "volumes/CredentialPrompt.h"

#include <QDialog>

class QButtonGroup;
class QFormLayout;
class QLineEdit;
class QRadioButton;
class QVBoxLayout;

// The dialog that asks for the credentials of a share: the server's message, a choice
// between a guest login and a registered user where the server allows guests, and the
// user, domain and password fields the server needs, and, where the desktop keyring may
// keep the password, how long it keeps it.
class PasswordDialog final : public QDialog {
    Q_OBJECT

public:
    explicit PasswordDialog(const CredentialRequest& request, QWidget* parent = nullptr);

    // Shows the dialog modally; none when the user cancels.
    static std::optional<Credentials> ask(const CredentialRequest& request);

    // What the fields hold now.
    Credentials credentials() const;

    QLineEdit* userField() const { return m_user; }
    QLineEdit* domainField() const { return m_domain; }
    QLineEdit* passwordField() const { return m_password; }
    QRadioButton* guestChoice() const { return m_guest; }
    // Null when the request allowed no saving.
    QButtonGroup* saveChoice() const { return m_save; }

private:
    void addCredentialFields(const CredentialRequest& request, QFormLayout* form);
    void addSaveChoice(QVBoxLayout* layout);
    void updateFields();
    void fitTitle();

    QRadioButton* m_guest = nullptr;
    QRadioButton* m_registered = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_domain = nullptr;
    QLineEdit* m_password = nullptr;
    QButtonGroup* m_save = nullptr;
};
