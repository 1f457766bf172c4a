#include "FileManagerActionsBox.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FileManagerActionsBox::FileManagerActionsBox(QWidget* parent)
    : QGroupBox(QStringLiteral("File manager actions"), parent)
{
    // As tall as it needs, like the detail section: the mapping table takes the rest.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    m_states = new QFormLayout;
    m_states->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    row->addLayout(m_states, 1);
    m_turnOnButton = new QPushButton(QStringLiteral("&Turn On Actions"));
    m_turnOnButton->setToolTip(
        QStringLiteral("Add \"Open Windows Link\" and \"Copy Windows Path\" to the file managers "
                       "that read them only from your own folders, keeping your own actions"));
    row->addWidget(m_turnOnButton, 0, Qt::AlignRight | Qt::AlignTop);
    layout->addLayout(row);
    // What turning them on could not do, or what the user still has to do.
    m_message = new QLabel;
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    m_message->hide();
    layout->addWidget(m_message);
    connect(m_turnOnButton, &QPushButton::clicked, this, &FileManagerActionsBox::turnOn);
    refresh();
}

void FileManagerActionsBox::setActions(std::optional<FileManagerActions> actions)
{
    m_actions = std::move(actions);
    m_message->hide();
    refresh();
}

void FileManagerActionsBox::refresh()
{
    while (m_states->rowCount() > 0)
        m_states->removeRow(0);
    const QList<FileManagerActions::Status> statuses =
        m_actions ? m_actions->statuses() : QList<FileManagerActions::Status>();
    bool anyOff = false;
    for (const FileManagerActions::Status& status : statuses) {
        m_states->addRow(FileManagerActions::name(status.manager) + u':',
            new QLabel(FileManagerActions::stateText(status.state)));
        anyOff = anyOff || status.state == FileManagerActions::State::Off;
    }
    if (statuses.isEmpty())
        m_states->addRow(new QLabel(m_actions
                ? QStringLiteral("No file manager found (Nautilus, Nemo, Dolphin, Thunar)")
                : QStringLiteral("Kestrova's file-manager actions are not installed")));
    m_turnOnButton->setEnabled(anyOff);
}

void FileManagerActionsBox::turnOn()
{
    if (!m_actions)
        return;
    const FileManagerActions::Outcome outcome = m_actions->turnOn();
    QStringList lines = outcome.problems;
    if (outcome.thunarNeedsRestart)
        lines.append(FileManagerActions::thunarRestartAdvice());
    refresh();
    m_message->setText(lines.join(u'\n'));
    m_message->setVisible(!lines.isEmpty());
}

QStringList FileManagerActionsBox::shownStates() const
{
    QStringList shown;
    for (int row = 0; row < m_states->rowCount(); ++row) {
        auto* label = qobject_cast<QLabel*>(m_states->itemAt(row, QFormLayout::LabelRole)
                ? m_states->itemAt(row, QFormLayout::LabelRole)->widget()
                : nullptr);
        auto* field = m_states->itemAt(row, QFormLayout::FieldRole)
            ? qobject_cast<QLabel*>(m_states->itemAt(row, QFormLayout::FieldRole)->widget())
            : nullptr;
        if (label && field)
            shown.append(label->text() + u' ' + field->text());
    }
    return shown;
}
