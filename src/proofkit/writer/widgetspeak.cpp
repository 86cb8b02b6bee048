#include "widgetspeak.h"
#include "ui_widgetspeak.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>

#include "checkerclient.h"
#include "config.h"
#include "iconfont.h"
#include "qsapi.h"
#include "sapi.h"
#include "settingkeys.h"
#include "texteditex.h"

namespace {
constexpr int PlayIcon = 0xf04b;
constexpr int PauseIcon = 0xf04c;
constexpr QChar ZeroWidthSpace(0x200b);

QIcon panelIcon(int codePoint)
{
    return getIconFont()->icon(codePoint, IconColorOptions(QColor(77, 130, 184), QColor(176, 176, 176)));
}

QIcon greyIcon(int codePoint)
{
    return getIconFont()->icon(codePoint, IconColorOptions(QColor(100, 100, 100)));
}

void beepTwice()
{
    Beep(750, 100);
    Beep(750, 100);
}
}

WidgetSpeak::WidgetSpeak(TextEditEx* editor, QWidget* parent)
    : QFramelessWindow(parent), ui(new Ui::WidgetSpeak), editor(editor)
{
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint | Qt::SubWindow | Qt::WindowStaysOnTopHint);
    setWindowFlags(windowFlags() & ~Qt::MSWindowsFixedSizeDialogHint);

    ui->btnPreParagraph->setIcon(panelIcon(0xf049));
    ui->btnSpeak->setIcon(panelIcon(PlayIcon));
    ui->btnNextParagraph->setIcon(panelIcon(0xf050));
    ui->btnSetting->setIcon(greyIcon(0xf107));
    ui->btnClose->setIcon(greyIcon(0xf00d));
    ui->btnPreParagraph->setToolTip(ui->btnPreParagraph->text() + tr("(PageUp)"));
    ui->btnSpeak->setToolTip(ui->btnSpeak->text() + tr("(Space)"));
    ui->btnNextParagraph->setToolTip(ui->btnNextParagraph->text() + tr("(PageDown)"));
    ui->btnClose->setToolTip(ui->btnClose->text() + tr("(Esc)"));
    ui->btnSetting->setToolTip(ui->btnSetting->text());
    ui->widgetSetting->hide();
    adjustSize();

    qApp->installEventFilter(this);

    engine = new QSapi(QVariantMap(), this);
    if (engine->state() == QTextToSpeech::BackendError)
        showUnavailable();

    int volume = int(engine->volume() * 100);
    int rate = int(engine->rate() * 100);
    int pitch = int(engine->pitch() * 100);
    QString savedName;
    if (Config* config = GetConfig()) {
        pitch = config->getValueInt(SettingKeys::SpeakPitch, pitch);
        volume = config->getValueInt(SettingKeys::SpeakVolume, volume);
        rate = config->getValueInt(SettingKeys::SpeakRate, rate);
        savedName = config->getValueString(SettingKeys::SpeakName);
    }
    fillVoices(savedName);

    ui->sliderVolume->setValue(volume);
    ui->sliderRate->setValue(rate);
    ui->sliderPitch->setValue(pitch);
    // A value equal to the form's own starting value changes nothing, yet must reach the engine.
    on_sliderVolume_valueChanged(ui->sliderVolume->value());
    on_sliderRate_valueChanged(ui->sliderRate->value());
    on_sliderPitch_valueChanged(ui->sliderPitch->value());
    connect(engine, qOverload<QTextToSpeech::State, int, int>(&QSapi::stateChanged), this,
            &WidgetSpeak::stateChanged);
}

WidgetSpeak::~WidgetSpeak()
{
    stopAndHide();
    delete ui;
}

void WidgetSpeak::showUnavailable()
{
    ui->btnSpeak->setEnabled(false);
    ui->btnPreParagraph->setEnabled(false);
    ui->btnNextParagraph->setEnabled(false);
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    const int answer = client->showMsgBox(tr("tts error, click ok to get more info."), QMessageBox::Critical,
                                          QMessageBox::Ok | QMessageBox::Cancel);
    if (answer == QMessageBox::Ok)
        client->openWebUrl(URL_TTS);
}

void WidgetSpeak::fillVoices(const QString& savedName)
{
    voiceItems.clear();
    QVoice current = engine->voice();
    int selected = -1;
    for (const QLocale& locale : engine->availableLocales()) {
        for (const QVoice& voice : engine->voicesForLocale(locale)) {
            const int index = voiceItems.size();
            voiceItems.append(voice);
            const QString text = voice.name() + QStringLiteral("（") + locale.nativeLanguageName()
                                 + QStringLiteral("）");
            if (selected < 0 && current == voice)
                selected = index;
            if (!savedName.isEmpty() && text == savedName)
                selected = index;
            ui->cmbVoice->addItem(text, index);
        }
    }
    if (selected >= 0)
        ui->cmbVoice->setCurrentIndex(ui->cmbVoice->findData(selected));
}

bool WidgetSpeak::canRead() const
{
    return ui->btnSpeak->isEnabled();
}

void WidgetSpeak::on_btnSpeak_clicked()
{
    if (reading)
        stopSpeak();
    else
        startSpeak();
}

void WidgetSpeak::startSpeak()
{
    stopSpeak();
    // A speech just stopped still owes its end notification; it must not move the new run on.
    const QTextToSpeech::State state = engine->state();
    skipEnds = state == QTextToSpeech::Speaking || state == QTextToSpeech::Paused ? 1 : 0;
    speechFailed = false;
    if (!speakNextParagraph())
        return;
    // The engine refused the text: no end of speech will come to carry reading on.
    if (speechFailed) {
        stopSpeak();
        return;
    }
    reading = true;
    ui->btnSpeak->setIcon(panelIcon(PauseIcon));
    editor->setSpeakingFlag(false);
}

void WidgetSpeak::stopSpeak()
{
    reading = false;
    ui->btnSpeak->setIcon(panelIcon(PlayIcon));
    engine->stop();
    editor->setSpeakingFlag(true);
}

bool WidgetSpeak::speakNextParagraph()
{
    QString text;
    int position = 0;
    const bool found = reading ? editor->nextParagraphForSpeech(text, position)
                               : editor->currentParagraphForSpeech(text, position);
    if (!found) {
        stopSpeak();
        beepTwice();
        return false;
    }
    say(text, position);
    return true;
}

bool WidgetSpeak::speakPreviousParagraph()
{
    if (!reading)
        return false;
    QString text;
    int position = 0;
    if (!editor->previousParagraphForSpeech(text, position))
        return speakNextParagraph();
    say(text, position);
    return true;
}

void WidgetSpeak::say(const QString& text, int position)
{
    paragraphOffset = position;
    spokenOffsets.clear();
    const QTextBlock block = editor->document()->findBlock(position);
    const QString original = block.text().mid(position - block.position());
    for (int i = 0; i < original.size(); ++i) {
        if (original.at(i) != ZeroWidthSpace)
            spokenOffsets.append(position + i);
    }
    engine->say(text);
}

int WidgetSpeak::documentPosition(int spokenIndex) const
{
    if (spokenIndex >= 0 && spokenIndex < spokenOffsets.size())
        return spokenOffsets.at(spokenIndex);
    return paragraphOffset + spokenIndex;
}

void WidgetSpeak::on_btnPreParagraph_clicked()
{
    skipEnds = 1;
    speakPreviousParagraph();
}

void WidgetSpeak::on_btnNextParagraph_clicked()
{
    skipEnds = 1;
    speakNextParagraph();
}

void WidgetSpeak::stateChanged(QTextToSpeech::State state, int start, int end)
{
    if (state == QTextToSpeech::Speaking && start < end) {
        editor->selectRange(documentPosition(start), documentPosition(end - 1) + 1);
        return;
    }
    if (state == QTextToSpeech::BackendError) {
        // No end of speech follows a failure.
        speechFailed = true;
        if (reading)
            stopSpeak();
        return;
    }
    if (state != QTextToSpeech::Ready || !reading)
        return;
    if (skipEnds <= 0)
        speakNextParagraph();
    --skipEnds;
}

void WidgetSpeak::stopAndHide()
{
    if (reading)
        stopSpeak();
    hide();
    if (Config* config = GetConfig()) {
        config->setValueInt(SettingKeys::SpeakPitch, ui->sliderPitch->value());
        config->setValueInt(SettingKeys::SpeakVolume, ui->sliderVolume->value());
        config->setValueInt(SettingKeys::SpeakRate, ui->sliderRate->value());
        config->setValueString(SettingKeys::SpeakName, ui->cmbVoice->currentText());
    }
    emit speakStopAndHide();
}

void WidgetSpeak::on_btnClose_clicked()
{
    stopAndHide();
}

void WidgetSpeak::on_btnSetting_clicked()
{
    const bool show = ui->widgetSetting->isHidden();
    ui->widgetSetting->setVisible(show);
    ui->btnSetting->setIcon(greyIcon(show ? 0xf106 : 0xf107));
    QCoreApplication::processEvents();
    adjustSize();
}

void WidgetSpeak::on_sliderVolume_valueChanged(int value)
{
    engine->setVolume(value / 100.0);
    ui->labelVolume->setText(tr("Volume(%1)").arg(value));
}

void WidgetSpeak::on_sliderRate_valueChanged(int value)
{
    engine->setRate(value / 100.0);
    ui->labelRate->setText(tr("Rate(%1)").arg(value));
}

void WidgetSpeak::on_sliderPitch_valueChanged(int value)
{
    engine->setPitch(value / 100.0);
    ui->labelPitch->setText(tr("Pitch(%1)").arg(value));
}

void WidgetSpeak::on_cmbVoice_currentIndexChanged(int index)
{
    const int item = ui->cmbVoice->itemData(index).toInt();
    if (index >= 0 && item >= 0 && item < voiceItems.size())
        engine->setVoice(voiceItems.at(item));
}

bool WidgetSpeak::eventFilter(QObject* watched, QEvent* event)
{
    if (!isVisible())
        return QFramelessWindow::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress)
        return true;
    if (event->type() != QEvent::KeyRelease)
        return QFramelessWindow::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Escape:
        stopAndHide();
        break;
    case Qt::Key_Space:
        if (canRead())
            on_btnSpeak_clicked();
        break;
    case Qt::Key_PageUp:
        if (canRead())
            on_btnPreParagraph_clicked();
        break;
    case Qt::Key_PageDown:
        if (canRead())
            on_btnNextParagraph_clicked();
        break;
    default:
        break;
    }
    return true;
}
