#pragma once

#include "text/RichTextContent.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// Reads an RTF selection (text/rtf) far enough for the open-link service: the visible
// characters of the document body, and the target of its first HYPERLINK field
// ({\field{\*\fldinst HYPERLINK "TARGET"}{\fldrslt ...}}). RTF comes from strangers: the
// reader walks the bytes once, keeps its group stack on the heap with a depth limit,
// and never reads past the end, whatever the input.
//
// It knows what a selection needs and no more: tables of fonts, colours, styles and
// the like, pictures, objects and every \* destination other than a field instruction
// are skipped; 8-bit text is Windows-1252 (other code pages read as such); \uN with its
// \ucN fallback is honoured.
class RtfHyperlinkReader {
public:
    // Groups nested deeper than this end the reading; what was read until then counts.
    static constexpr int kMaxGroupDepth = 512;
    // Longest control word and parameter that RTF writers produce; of a longer run of
    // letters or digits only this many count, so no number can overflow.
    static constexpr int kMaxControlWordLength = 32;
    static constexpr int kMaxParameterDigits = 10;

    // None when the data is no RTF document (it does not open with "{\rtf").
    static std::optional<RichTextContent> read(QByteArrayView data);

    // The target of a field instruction such as HYPERLINK "file:///a%20b.doc" \o "tip":
    // its first argument, with the field syntax's \\ and \" undone. None for another
    // field, or a HYPERLINK with no target (a bookmark link: HYPERLINK \l "mark").
    static std::optional<QString> hyperlinkTarget(const QString& instruction);

private:
    enum class Destination { Body, Skipped, FieldInstruction };
    struct Group {
        Destination destination = Destination::Body;
        int unicodeSkip = 1; // \ucN: fallback characters after each \uN
        bool ignorable = false; // the group began with \*
    };
    struct ControlWord {
        QByteArray word;
        std::optional<qint64> parameter;
    };

    explicit RtfHyperlinkReader(QByteArrayView data)
        : m_data(data)
    {
    }

    void run();
    bool openGroup();
    void closeGroup();
    void readControl();
    ControlWord readControlWord();
    void handleControlWord(const ControlWord& control);
    bool handleDestination(const QByteArray& word);
    bool handleSpecialCharacter(const QByteArray& word);
    void handleUnicode(qint64 parameter);
    void readHexByte();
    void skipBinary(std::optional<qint64> length);
    void appendByte(uchar byte);
    void appendText(QChar character);
    void append(const QString& text);
    bool consumeFallback();

    Group& current() { return m_groups.back(); }

    QByteArrayView m_data;
    qsizetype m_position = 0;
    std::vector<Group> m_groups;
    int m_pendingFallback = 0;
    QString m_plainText;
    QString m_instruction;
    std::optional<QString> m_firstLink;
};
