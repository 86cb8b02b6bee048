#pragma once

#include <QTextToSpeech>
#include <QVector>
#include <QVoice>

#include "proofkit_export.h"
#include "qframelesswindow.h"

namespace Ui { class WidgetSpeak; }
class QSapi;
class TextEditEx;

// The writing window's floating read-aloud panel: reads the editor paragraph by paragraph,
// selecting each word as it is spoken, with voice, volume, rate and pitch kept in the settings.
class PROOFKIT_EXPORT WidgetSpeak : public QFramelessWindow
{
    Q_OBJECT
public:
    explicit WidgetSpeak(TextEditEx* editor, QWidget* parent = nullptr);
    ~WidgetSpeak() override;

    void stopAndHide();

signals:
    void speakStopAndHide();

public slots:
    void stateChanged(QTextToSpeech::State state, int start, int end);

private slots:
    void on_btnPreParagraph_clicked();
    void on_btnSpeak_clicked();
    void on_btnNextParagraph_clicked();
    void on_btnSetting_clicked();
    void on_btnClose_clicked();
    void on_sliderVolume_valueChanged(int value);
    void on_sliderRate_valueChanged(int value);
    void on_sliderPitch_valueChanged(int value);
    void on_cmbVoice_currentIndexChanged(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startSpeak();
    void stopSpeak();
    bool speakNextParagraph();
    bool speakPreviousParagraph();
    void say(const QString& text, int position);
    void fillVoices(const QString& savedName);
    void showUnavailable();
    bool canRead() const;
    int documentPosition(int spokenIndex) const;

    Ui::WidgetSpeak* ui = nullptr;
    bool reading = false;
    QSapi* engine = nullptr;
    TextEditEx* editor = nullptr;
    int paragraphOffset = 0;
    int skipEnds = 0;
    bool speechFailed = false;      // the engine reported a failure since reading was asked for
    // Document offsets of the spoken characters, the zero-width spaces the editor left out skipped.
    QVector<int> spokenOffsets;
    QVector<QVoice> voiceItems;     // the voices of the list, in list order
};
