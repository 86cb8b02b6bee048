#pragma once

#include <QString>

// Every key the system keeps in Config, with the group it lives in. Readers give their own defaults.
namespace SettingKeys {

// Groups
constexpr char GroupApp[] = "app";        // on/off per program; the key is the program's executable name
constexpr char GroupHotkey[] = "hotkey";  // global hot keys (key sequence text), keyed by command name

// Account and server (root)
constexpr char UserName[] = "user_name";
constexpr char AccessToken[] = "access_token";
constexpr char IsVip[] = "is_vip";
constexpr char VipEndDate[] = "vip_end_date";
constexpr char LocalAccessToken[] = "local_access_token";
constexpr char CheckServer[] = "check_server";
constexpr char CheckCharMax[] = "check_char_max";

// Switched-on error types and dictionaries: the prefix followed by the code or id in decimal.
constexpr char ErrorTypePrefix[] = "ErrorType_";
constexpr char DictPrefix[] = "Dict_";
inline QString errorTypeKey(int typeCode) { return QLatin1String(ErrorTypePrefix) + QString::number(typeCode); }
inline QString dictKey(int dictId) { return QLatin1String(DictPrefix) + QString::number(dictId); }

// Behaviour switches (root)
constexpr char ShowTip[] = "ShowTip";
constexpr char ApplyByDoubleClick[] = "ApplyByDoubleClick";
constexpr char ShowErrorTip[] = "ShowErrorTip";
constexpr char ShowDictTip[] = "ShowDictTip";
constexpr char ShowErrorList[] = "ShowErrorList";
constexpr char BlackMode[] = "BlackMode";
constexpr char AutoUpdate[] = "AutoUpdate";
constexpr char AutoUpdateCheckDate[] = "AutoUpdateCheckDate";

// Window state (root)
constexpr char SettingTabIndex[] = "SettingTabIndex";
constexpr char DialogClientExpand[] = "DialogClientExpand";
constexpr char DialogClientX[] = "DialogClientX";
constexpr char DialogClientY[] = "DialogClientY";
constexpr char DialogWriterGeometry[] = "DialogWriterGeometry";
constexpr char ErrorList[] = "ErrorList";
constexpr char WidgetShowGeometry[] = "WidgetShowGeometry";

// Read-aloud (root)
constexpr char SpeakPitch[] = "SpeakPitch";
constexpr char SpeakVolume[] = "SpeakVolume";
constexpr char SpeakRate[] = "SpeakRate";
constexpr char SpeakName[] = "SpeakName";

} // namespace SettingKeys
