#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Thunar's custom-actions file (uca.xml): an <actions> element holding one <action>
// per menu item, each named by its <unique-id>. The file is kept as the text it was
// read as, so that adding actions changes nothing but the place where they go in.
class ThunarActionFile {
public:
    struct Action {
        QString uniqueId;
        QString element; // the <action> element as it stands in the file
    };

    // A file larger than this is refused rather than read into memory.
    static constexpr qsizetype kMaximumSize = qsizetype {4} * 1024 * 1024;

    // The file the bytes hold; a failure says why they are no such file (not UTF-8, not
    // well-formed XML, another root element, too large).
    static Result<ThunarActionFile> parse(const QByteArray& bytes);
    // A file with no actions, for a user who has none yet.
    static ThunarActionFile empty();

    const QList<Action>& actions() const { return m_actions; }
    bool hasAction(const QString& uniqueId) const;
    // The file with those of the given actions added at its end that it does not hold
    // yet; the same bytes when it holds them all.
    QByteArray withActions(const QList<Action>& added) const;

private:
    ThunarActionFile() = default;
    QString m_text;
    qsizetype m_rootEnd = 0; // where the root's end tag starts, or its "/>"
    bool m_rootSelfClosing = false;
    QList<Action> m_actions;
};
