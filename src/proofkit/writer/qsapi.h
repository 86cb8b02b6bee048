#pragma once

#include <QLocale>
#include <QMultiMap>
#include <QTextToSpeechEngine>
#include <QVariantMap>
#include <QVector>
#include <QVoice>

#include "proofkit_export.h"
#include "sapi.h"

// Qt text-to-speech engine on the platform voice. Word-boundary events are forwarded so the panel
// can highlight the word being read; pitch travels as a leading tag because the voice has no setter.
class PROOFKIT_EXPORT QSapi : public QTextToSpeechEngine, public ISpNotifyCallback
{
    Q_OBJECT
public:
    QSapi(const QVariantMap& parameters, QObject* parent);
    ~QSapi() override;

    QVector<QLocale> availableLocales() const override;
    QVector<QVoice> availableVoices() const override;
    void say(const QString& text) override;
    void stop() override;
    void pause() override;
    void resume() override;
    double rate() const override;
    bool setRate(double rate) override;
    double pitch() const override;
    bool setPitch(double pitch) override;
    QLocale locale() const override;
    bool setLocale(const QLocale& locale) override;
    double volume() const override;
    bool setVolume(double volume) override;
    QVoice voice() const override;
    bool setVoice(const QVoice& voice) override;
    QTextToSpeech::State state() const override;

    QVector<QVoice> voicesForLocale(const QLocale& locale) const;

    HRESULT NotifyCallback(WPARAM wParam, LPARAM lParam) override;

signals:
    // begin and end: the word being spoken, in characters of the text given to say; 0 when none.
    void stateChanged(QTextToSpeech::State state, int begin, int end);

private:
    void start();
    void updateVoices();
    bool isSpeaking() const;
    QLocale localeOf(ISpObjectToken* token) const;
    void changeState(QTextToSpeech::State newState, int begin = 0, int end = 0);

    QTextToSpeech::State currentState = QTextToSpeech::BackendError;
    QVector<QLocale> locales;
    QMultiMap<QString, QVoice> voices;
    ISpVoice* spVoice = nullptr;
    double pitchValue = 0;
    int pauseCount = 0;
    int markupLength = 0;
    bool comStarted = false;
};
