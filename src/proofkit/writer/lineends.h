#pragma once

#include <QMetaObject>
#include <QString>

#include <vector>

class QTextDocument;

// How the lines of a text file end. The editor's document keeps none of it: every line end becomes a
// paragraph break, and its plain text turns line separators into LF and no-break spaces into
// spaces. Read beside the text and put back on writing, so a file saved unedited keeps its bytes.
class LineEnds
{
public:
    LineEnds() = default;
    LineEnds(const LineEnds&) = delete;
    LineEnds& operator=(const LineEnds&) = delete;
    ~LineEnds();

    // Takes the line ends of text. With a document whose paragraphs were just made from text, each
    // paragraph ended otherwise than the file's usual way keeps its own end, through later edits.
    void read(const QString& text, QTextDocument* paragraphs = nullptr);
    // The document's text with its paragraphs ended as read; new ones get the usual end.
    QString write(const QTextDocument& document) const;
    // A new document: LF, line separators written as line ends.
    void clear();

private:
    // After an edit that joined paragraphs: the joined one ends as the last of them did.
    void follow(int position, int added);
    void takeAll();
    void stopFollowing();

    QString usual = QStringLiteral("\n");
    // Only a file that holds line separators gets them back; in others a typed line break inside a
    // paragraph is saved as a line end, as any other program would show it.
    bool keepsLineSeparators = false;
    // The document followed, and each of its paragraphs' own end ("" for the usual one) as it was
    // before the latest edit: the document keeps the first paragraph's end on a join and drops the
    // last one's, so it is taken from here.
    QTextDocument* followed = nullptr;
    QMetaObject::Connection edits;
    std::vector<QString> ownEnds;
};
