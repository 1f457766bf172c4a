#pragma once

#include <QDialog>

class KTDragTextField;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The sheet for changing the SMB password: server, user name, old password, new
// password twice. Window-modal over the settings window. The confirm button is enabled
// only while every field holds something and the new password was typed the same way
// twice (letter case counting); every edit in any field checks them all again. The
// fields keep what was typed between openings; nothing is stored.
class PasswordSheet : public QDialog {
    Q_OBJECT

public:
    explicit PasswordSheet(QWidget* parent);

    KTDragTextField* domainServerField() const { return m_domainServerField; }
    QLineEdit* usernameField() const { return m_usernameField; }
    QLineEdit* oldPasswordField() const { return m_oldPasswordField; }
    QLineEdit* passwordField() const { return m_passwordField; }
    QLineEdit* passwordVerifyField() const { return m_passwordVerifyField; }
    QPushButton* changePasswordButton() const { return m_changePasswordButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QProgressBar* busyIndicator() const { return m_busyIndicator; }

    // Re-validates the whole sheet.
    void controlTextDidChange();

    // While a change runs the sheet shows that it is busy and takes no input; the
    // window behind it keeps painting.
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }

Q_SIGNALS:
    void changePasswordRequested();
    void cancelRequested();

protected:
    void reject() override;

private:
    QLineEdit* addPasswordField(const QString& label, class QFormLayout* form);
    void buildButtons(class QVBoxLayout* layout);

    KTDragTextField* m_domainServerField = nullptr;
    QLineEdit* m_usernameField = nullptr;
    QLineEdit* m_oldPasswordField = nullptr;
    QLineEdit* m_passwordField = nullptr;
    QLineEdit* m_passwordVerifyField = nullptr;
    QPushButton* m_changePasswordButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QProgressBar* m_busyIndicator = nullptr;
    QLabel* m_busyLabel = nullptr;
    bool m_busy = false;
};
