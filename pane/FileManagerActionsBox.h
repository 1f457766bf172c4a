#pragma once

#include "FileManagerActions.h"

#include <QGroupBox>

#include <optional>

class QFormLayout;
class QLabel;
class QPushButton;

// The settings window's section on the file managers: whether each installed one shows
// "Open Windows Link" and "Copy Windows Path", and a button that turns them on.
class FileManagerActionsBox : public QGroupBox {
    Q_OBJECT

public:
    explicit FileManagerActionsBox(QWidget* parent = nullptr);

    // Shows the state of these actions; none: Kestrova's action files were not found.
    void setActions(std::optional<FileManagerActions> actions);
    QPushButton* turnOnButton() const { return m_turnOnButton; }
    QLabel* messageLabel() const { return m_message; }
    // The state of each file manager as shown, "Name: state", one a line.
    QStringList shownStates() const;

private:
    void refresh();
    void turnOn();

    std::optional<FileManagerActions> m_actions;
    QFormLayout* m_states = nullptr;
    QPushButton* m_turnOnButton = nullptr;
    QLabel* m_message = nullptr;
};
