#include "qsapi.h"

#include <QMap>
#include <QtDebug>

#include <algorithm>

#include "comapi.h"
#include "comptr.h"

namespace {
QString fromWide(LPCWSTR text)
{
    return text ? QString::fromUtf16(text) : QString();
}

// Name -> value of a token's "Attributes" key. The enumeration ends at the first index that fails,
// since a key failing at every index would otherwise be read for ever.
QMap<QString, QString> attributesOf(ISpObjectToken* token)
{
    QMap<QString, QString> attributes;
    ComPtr<ISpDataKey> key;
    if (FAILED(token->OpenKey(u"Attributes", &key)) || !key) {
        qWarning() << "ISpObjectToken::OpenKeys failed";
        return attributes;
    }
    for (ULONG index = 0;; ++index) {
        LPWSTR name = nullptr;
        const HRESULT hr = key->EnumValues(index, &name);
        if (hr == SPERR_NO_MORE_ITEMS)
            break;
        if (FAILED(hr)) {
            qWarning() << "ISpDataKey::EnumValues failed";
            break;
        }
        LPWSTR value = nullptr;
        if (FAILED(key->GetStringValue(name, &value))) {
            qWarning() << "ISpDataKey::GetStringValue failed";
        } else if (name && name[0]) {
            attributes.insert(fromWide(name), fromWide(value));
        }
        CoTaskMemFree(value);
        CoTaskMemFree(name);
    }
    return attributes;
}

QString idOf(ISpObjectToken* token)
{
    LPWSTR id = nullptr;
    if (FAILED(token->GetId(&id))) {
        qWarning() << "ISpObjectToken::GetId failed";
        return QString();
    }
    const QString text = fromWide(id);
    CoTaskMemFree(id);
    return text;
}

QLocale localeFromAttributes(const QMap<QString, QString>& attributes)
{
    bool ok = false;
    const uint lcid = attributes.value(QStringLiteral("Language")).toUInt(&ok, 16);
    if (!ok) {
        qWarning() << "Could not convert language attribute to LCID";
        return QLocale();
    }
    WCHAR name[85] = {};
    if (GetLocaleInfoW(lcid, LOCALE_SNAME, name, 85) == 0)
        return QLocale();
    return QLocale(QString::fromUtf16(name));
}
}

QSapi::QSapi(const QVariantMap&, QObject* parent) : QTextToSpeechEngine(parent)
{
    start();
}

QSapi::~QSapi()
{
    if (spVoice) {
        spVoice->SetNotifyCallbackInterface(nullptr, 0, 0);
        spVoice->Release();
        spVoice = nullptr;
    }
    if (comStarted)
        CoUninitialize();
}

void QSapi::start()
{
    if (FAILED(CoInitialize(nullptr))) {
        qWarning() << "Init of COM failed";
        return;
    }
    comStarted = true;
    if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                reinterpret_cast<void**>(&spVoice)))
        || !spVoice) {
        qWarning() << "Could not init voice";
        spVoice = nullptr;
        return;
    }
    spVoice->SetInterest(SPFEI_ALL_TTS_EVENTS, SPFEI_ALL_TTS_EVENTS);
    spVoice->SetNotifyCallbackInterface(this, 0, 0);
    updateVoices();
    currentState = QTextToSpeech::Ready;
    markupLength = 0;
}

void QSapi::updateVoices()
{
    ComPtr<IEnumSpObjectTokens> tokens;
    if (FAILED(SpEnumTokens(SPCAT_VOICES, nullptr, nullptr, &tokens)) || !tokens)
        return;
    ULONG count = 0;
    tokens->GetCount(&count);
    for (ULONG i = 0; i < count; ++i) {
        ComPtr<ISpObjectToken> token;
        if (tokens->Next(1, &token, nullptr) != S_OK || !token)
            break;
        const QMap<QString, QString> attributes = attributesOf(token);
        const QLocale voiceLocale = localeFromAttributes(attributes);
        if (!locales.contains(voiceLocale))
            locales.append(voiceLocale);
        const QString gender = attributes.value(QStringLiteral("Gender"));
        const QVoice::Gender voiceGender = gender == QLatin1String("Male")     ? QVoice::Male
                                           : gender == QLatin1String("Female") ? QVoice::Female
                                                                               : QVoice::Unknown;
        const QVoice::Age age =
            attributes.value(QStringLiteral("Age")) == QLatin1String("Adult") ? QVoice::Adult : QVoice::Other;
        voices.insert(voiceLocale.name(),
                      createVoice(attributes.value(QStringLiteral("Name")), voiceGender, age, idOf(token)));
    }
}

QVector<QLocale> QSapi::availableLocales() const
{
    return locales;
}

QVector<QVoice> QSapi::availableVoices() const
{
    return voicesForLocale(locale());
}

QVector<QVoice> QSapi::voicesForLocale(const QLocale& locale) const
{
    if (!spVoice)
        return {};
    return voices.values(locale.name()).toVector();
}

void QSapi::say(const QString& text)
{
    if (!spVoice || text.isEmpty())
        return;
    if (currentState != QTextToSpeech::Ready)
        stop();
    const QString markup = QStringLiteral("<pitch absmiddle=\"%1\"/>").arg(int(pitchValue * 10));
    markupLength = markup.size();
    const QString spoken = markup + text;
    const HRESULT hr = spVoice->Speak(reinterpret_cast<LPCWSTR>(spoken.utf16()), SPF_ASYNC, nullptr);
    // Without this the reader would wait for an end of speech that never comes.
    if (FAILED(hr)) {
        qWarning() << "ISpVoice::Speak failed" << Qt::hex << hr;
        changeState(QTextToSpeech::BackendError);
    }
}

void QSapi::stop()
{
    if (!spVoice)
        return;
    if (currentState == QTextToSpeech::Paused)
        resume();
    spVoice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
}

void QSapi::pause()
{
    if (!spVoice || !isSpeaking() || pauseCount != 0)
        return;
    pauseCount = 1;
    spVoice->Pause();
    changeState(QTextToSpeech::Paused);
}

void QSapi::resume()
{
    if (!spVoice || pauseCount < 1)
        return;
    --pauseCount;
    spVoice->Resume();
    changeState(isSpeaking() ? QTextToSpeech::Speaking : QTextToSpeech::Ready);
}

double QSapi::rate() const
{
    LONG value = 0;
    if (!spVoice || FAILED(spVoice->GetRate(&value)))
        return -1;
    return value / 10.0;
}

bool QSapi::setRate(double rate)
{
    if (!spVoice)
        return false;
    return SUCCEEDED(spVoice->SetRate(LONG(std::clamp(rate, -1.0, 1.0) * 10)));
}

double QSapi::pitch() const
{
    return pitchValue;
}

bool QSapi::setPitch(double pitch)
{
    pitchValue = pitch;
    return true;
}

QLocale QSapi::locale() const
{
    if (!spVoice)
        return QLocale();
    ComPtr<ISpObjectToken> token;
    if (FAILED(spVoice->GetVoice(&token)) || !token)
        return QLocale();
    return localeOf(token);
}

QLocale QSapi::localeOf(ISpObjectToken* token) const
{
    return localeFromAttributes(attributesOf(token));
}

bool QSapi::setLocale(const QLocale& locale)
{
    const QVector<QVoice> found = voicesForLocale(locale);
    if (found.isEmpty()) {
        qWarning() << "No voice found for given locale";
        return false;
    }
    setVoice(found.first());
    return true;
}

double QSapi::volume() const
{
    USHORT value = 0;
    if (!spVoice || FAILED(spVoice->GetVolume(&value)))
        return 0;
    return value / 100.0;
}

bool QSapi::setVolume(double volume)
{
    if (!spVoice)
        return false;
    return SUCCEEDED(spVoice->SetVolume(USHORT(std::clamp(volume, 0.0, 1.0) * 100)));
}

QVoice QSapi::voice() const
{
    if (!spVoice)
        return QVoice();
    ComPtr<ISpObjectToken> token;
    if (FAILED(spVoice->GetVoice(&token)) || !token)
        return QVoice();
    const QString id = idOf(token);
    for (auto it = voices.cbegin(); it != voices.cend(); ++it) {
        if (voiceData(it.value()).toString() == id)
            return it.value();
    }
    return QVoice();
}

bool QSapi::setVoice(const QVoice& voice)
{
    if (!spVoice)
        return false;
    const QString id = voiceData(voice).toString();
    ComPtr<ISpObjectToken> token;
    if (FAILED(SpGetTokenFromId(reinterpret_cast<LPCWSTR>(id.utf16()), &token, FALSE)) || !token) {
        qWarning() << "Creating the voice token from ID failed";
        changeState(QTextToSpeech::BackendError);
        return false;
    }
    if (currentState != QTextToSpeech::Ready)
        changeState(QTextToSpeech::Ready);
    spVoice->SetVoice(token);
    return true;
}

QTextToSpeech::State QSapi::state() const
{
    return currentState;
}

bool QSapi::isSpeaking() const
{
    SPVOICESTATUS status;
    if (!spVoice || FAILED(spVoice->GetStatus(&status, nullptr)))
        return false;
    return status.dwRunningState == SPRS_IS_SPEAKING;
}

void QSapi::changeState(QTextToSpeech::State newState, int begin, int end)
{
    currentState = newState;
    emit stateChanged(newState, begin, end);
}

HRESULT QSapi::NotifyCallback(WPARAM, LPARAM)
{
    if (!spVoice)
        return S_OK;
    QTextToSpeech::State newState = QTextToSpeech::Ready;
    if (pauseCount != 0)
        newState = QTextToSpeech::Paused;
    else if (isSpeaking())
        newState = QTextToSpeech::Speaking;
    int begin = 0;
    int end = 0;
    if (newState == QTextToSpeech::Speaking) {
        SPEVENT event;
        ULONG fetched = 0;
        while (spVoice->GetEvents(1, &event, &fetched) == S_OK && fetched == 1) {
            if (event.eEventId != SPEI_WORD_BOUNDARY)
                continue;
            SPVOICESTATUS status;
            if (FAILED(spVoice->GetStatus(&status, nullptr)))
                continue;
            begin = int(status.ulInputWordPos) - markupLength;
            end = begin + int(status.ulInputWordLen);
        }
    }
    if (newState != currentState || newState == QTextToSpeech::Speaking)
        changeState(newState, begin, end);
    return S_OK;
}
