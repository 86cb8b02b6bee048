// The editor's text files: reading with the encoding the bytes show, writing back in it, the
// file dialogs and the prompt to save a modified document.

#include "texteditex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>
#include <QTextDocument>

#include <algorithm>
#include <iterator>

#include "apppath.h"
#include "textcharset.h"

namespace {

// U+FEFF in GB18030: put before GB18030 text only where the bytes alone would not say GB18030.
constexpr int EncodingGb18030Mark = 4;

// Byte-order marks written before the text of files read with one (and of new documents).
QByteArray byteOrderMark(int encoding)
{
    switch (encoding) {
    case ENCODING_UTF16_LE:
        return QByteArray("\xFF\xFE", 2);
    case ENCODING_UTF16_BE:
        return QByteArray("\xFE\xFF", 2);
    case ENCODING_UTF8:
        return QByteArray("\xEF\xBB\xBF", 3);
    case EncodingGb18030Mark:
        return QByteArray("\x84\x31\x95\x33", 4);
    default:
        return QByteArray();
    }
}

QTextCodec* codecOfMark(int encoding)
{
    switch (encoding) {
    case ENCODING_UTF16_LE:
        return QTextCodec::codecForName("UTF-16LE");
    case ENCODING_UTF16_BE:
        return QTextCodec::codecForName("UTF-16BE");
    case EncodingGb18030Mark:
        return QTextCodec::codecForName("GB18030");
    default:
        return QTextCodec::codecForName("UTF-8");
    }
}

// Decodes without letting the codec drop or add a mark of its own.
QString decode(QTextCodec* codec, const QByteArray& bytes, int* invalid = nullptr)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    if (invalid)
        *invalid = state.invalidChars + state.remainingChars;
    return text;
}

QByteArray encode(QTextCodec* codec, const QString& text)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->fromUnicode(text.constData(), text.size(), &state);
}

// Double-byte sets whose byte pairs are nearly all valid GB18030 too: the round trip cannot tell
// such a file from Chinese text, the detector's statistics and the GB18030 reading itself can.
bool isOtherDoubleByteCharset(const std::string& charset)
{
    static const char* const others[] = {"BIG5", "EUC-TW", "EUC-KR", "UHC", "SHIFT_JIS", "EUC-JP"};
    return std::find(std::begin(others), std::end(others), charset) != std::end(others);
}

// The detector's guess is taken only where its character set reads every byte: a guess the bytes
// break is no better reading than GB18030. A set Qt does not know is left to the detector.
bool readsCleanlyIn(const std::string& charset, const QByteArray& bytes)
{
    QTextCodec* other = QTextCodec::codecForName(charset == "UHC" ? "windows-949" : charset.c_str());
    if (!other)
        return true;
    int invalid = 0;
    decode(other, bytes, &invalid);
    return invalid == 0;
}

// What the bytes of a file read as: the mark they start with, the codec of the rest and its text.
struct Reading
{
    int encoding = ENCODING_NONE;
    QTextCodec* codec = nullptr;
    QString text;
    std::string otherCharset;   // the file seems to be in this other double-byte set
    bool broken = false;         // the text would not be written back byte for byte
};

Reading readText(const QByteArray& bytes)
{
    Reading reading;
    char head[3] = {0, 0, 0};
    for (int i = 0; i < 3 && i < bytes.size(); ++i)
        head[i] = bytes.at(i);
    reading.encoding = GetFileEncoding(head);
    if (reading.encoding == ENCODING_NONE && bytes.startsWith(byteOrderMark(EncodingGb18030Mark)))
        reading.encoding = EncodingGb18030Mark;
    const QByteArray body = bytes.mid(byteOrderMark(reading.encoding).size());
    if (reading.encoding != ENCODING_NONE) {
        reading.codec = codecOfMark(reading.encoding);
        reading.text = decode(reading.codec, body);
    } else {
        // Without a mark the whole file decides; anything that is not valid UTF-8 is the legacy
        // Chinese code page, so it is written back in the bytes it came in.
        int invalid = 0;
        reading.codec = QTextCodec::codecForName("UTF-8");
        reading.text = decode(reading.codec, body, &invalid);
        if (invalid > 0) {
            reading.codec = QTextCodec::codecForName("GB18030");
            reading.text = decode(reading.codec, body);
            const std::string charset = GuessTextCharset(body.constData(), std::size_t(body.size()));
            if (isOtherDoubleByteCharset(charset) && readsCleanlyIn(charset, body)
                && !ReadsAsOrdinaryChinese(body.constData(), std::size_t(body.size())))
                reading.otherCharset = charset;
        }
    }
    // Text that would not be written back byte for byte (another legacy code page, a broken
    // sequence) is refused rather than shown garbled and damaged by the next save.
    reading.broken = encode(reading.codec, reading.text) != body;
    return reading;
}

// Writes on after a short write: the system tells why it stopped (no space left, file too large)
// only to a write that cannot put down a single byte.
bool writeAll(QFileDevice& file, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

bool isHtmlName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("html") || suffix == QLatin1String("htm");
}

} // namespace

QStringList TextEditEx::fileDialogFilters()
{
    return {tr("Text files (*.txt)"), tr("Html files (*.html *.htm)"), tr("Any files (*)")};
}

QString TextEditEx::filePath() const
{
    return currentFilePath;
}

void TextEditEx::setModified(bool modified)
{
    document()->setModified(modified);
}

bool TextEditEx::isModified() const
{
    return document()->isModified();
}

QMessageBox::StandardButton TextEditEx::showBox(QMessageBox::Icon icon, const QString& text,
                                                QMessageBox::StandardButtons buttons)
{
    if (messageBoxHandler)
        return messageBoxHandler(icon, windowTitle(), text, buttons);
    QMessageBox box(icon, windowTitle(), text, buttons, this);
    return QMessageBox::StandardButton(box.exec());
}

QString TextEditEx::askFileName(const QString& caption, QFileDialog::AcceptMode mode)
{
    if (fileDialogHandler)
        return fileDialogHandler(caption, mode, fileDialogFilters());
    QFileDialog dialog(this, caption, QString(), QString());
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(fileDialogFilters());
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

bool TextEditEx::openFile(QString path)
{
    if (!maybeSave())
        return false;
    if (path.isEmpty()) {
        path = askFileName(tr("Open File"), QFileDialog::AcceptOpen);
        if (path.isEmpty())
            return false;
    }
    if (!readFile(path))
        return false;
    emit documentReplaced();
    return true;
}

// Nothing of the editor changes until the whole file has been read: a failed open leaves the
// document, its path and the encoding it will be saved in as they were.
bool TextEditEx::readFile(const QString& path)
{
    QFile file(path);
    QString error;
    QByteArray bytes;
    if (QFileInfo(path).isDir()) {
        error = tr("The path is a folder");
    } else if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else {
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            error = file.errorString();
    }
    if (!error.isEmpty()) {
        showBox(QMessageBox::Warning, tr("Could not open file %1, %2").arg(QDir::toNativeSeparators(path), error),
                QMessageBox::Ok);
        return false;
    }

    const Reading reading = readText(bytes);
    QString refusal;
    if (!reading.otherCharset.empty())
        refusal = tr("The file seems to be text in %1, not in UTF-8, UTF-16 or GB18030")
                      .arg(QString::fromStdString(reading.otherCharset));
    else if (reading.broken)
        refusal = tr("The file is not text in UTF-8, UTF-16 or GB18030");
    if (!refusal.isEmpty()) {
        showBox(QMessageBox::Warning, tr("Could not open file %1, %2").arg(QDir::toNativeSeparators(path), refusal),
                QMessageBox::Ok);
        return false;
    }

    // Only a name that says HTML is read as markup: any other file is shown as it is, so a Save
    // without an edit gives back the same bytes, whatever tags the text happens to hold.
    const bool rich = isHtmlName(path);
    if (rich) {
        setHtml(reading.text);
        setAcceptRichText(true);
    } else {
        setPlainText(reading.text);
        setAcceptRichText(false);
    }
    lineEnds.read(reading.text, rich ? nullptr : document());
    encoding = reading.encoding;
    codec = reading.codec;
    currentFilePath = path;
    setModified(false);
    return true;
}

bool TextEditEx::saveFile(QString path)
{
    if (path == currentFilePath && !currentFilePath.isEmpty() && !isModified())
        return true;
    const QString target = path.isEmpty() ? currentFilePath : path;
    if (target.isEmpty())
        return getSaveFileName();
    return writeFile(target);
}

// Written through a temporary file that replaces the old one only when every byte is on disk.
// Unbuffered: a short write (a full disk, a size limit) then shows in the count write returns,
// where a buffered file would lose it in the flush at commit and keep a truncated file.
bool TextEditEx::writeFile(const QString& path)
{
    QTextCodec* target = codec ? codec : codecOfMark(encoding == ENCODING_NONE ? ENCODING_UTF8 : encoding);
    const QString text = isHtmlName(path) ? document()->toHtml(target->name()) : lineEnds.write(*document());
    int newEncoding = encoding;
    QByteArray bytes = byteOrderMark(encoding) + encode(target, text);
    // GB18030 without a mark is told from other code pages by its bytes alone; where those would
    // read back otherwise (refused, as UTF-8, as other text), the GB18030 mark goes first.
    if (encoding == ENCODING_NONE && target == QTextCodec::codecForName("GB18030")) {
        const Reading back = readText(bytes);
        if (back.codec != target || back.text != text || back.broken || !back.otherCharset.empty()) {
            newEncoding = EncodingGb18030Mark;
            bytes.prepend(byteOrderMark(newEncoding));
        }
    }

    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (written)
        written = writeAll(file, bytes);
    if (written)
        written = file.commit();
    if (!written) {
        const QString error = file.errorString();
        file.cancelWriting();
        showBox(QMessageBox::Warning, tr("Could not save file %1, %2").arg(QDir::toNativeSeparators(path), error),
                QMessageBox::Ok);
        return false;
    }
    codec = target;
    encoding = newEncoding;
    currentFilePath = path;
    setModified(false);
    return true;
}

bool TextEditEx::getSaveFileName()
{
    const QString path = askFileName(tr("Save as"), QFileDialog::AcceptSave);
    if (path.isEmpty())
        return false;
    return writeFile(path);
}

bool TextEditEx::newPlainText()
{
    if (!maybeSave())
        return false;
    codec = nullptr;
    encoding = ENCODING_UTF8;
    lineEnds.clear();
    currentFilePath.clear();
    setPlainText(QString());
    setAcceptRichText(false);
    emit documentReplaced();
    return true;
}

bool TextEditEx::newRichText()
{
    if (!maybeSave())
        return false;
    codec = nullptr;
    encoding = ENCODING_UTF8;
    lineEnds.clear();
    currentFilePath.clear();
    setAcceptRichText(true);
    setHtml(QString());
    emit documentReplaced();
    return true;
}

void TextEditEx::reloadFile()
{
    if (currentFilePath.isEmpty())
        return;
    openFile(currentFilePath);
    setModified(false);
}

// Only what the user changed since the last save is asked about; text the program put in is not.
bool TextEditEx::maybeSave()
{
    if (!isModified())
        return true;
    const QString text = tr("The document has been modified.\nDo you want to save the file %1?")
                             .arg(QDir::toNativeSeparators(currentFilePath));
    const QMessageBox::StandardButton answer =
        showBox(QMessageBox::Warning, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Save)
        return saveFile(QString());
    return answer == QMessageBox::Discard;
}
