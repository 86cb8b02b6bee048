#pragma once

#include <QHash>
#include <QKeySequence>

#include "basedialog.h"
#include "proofkit_export.h"

namespace Ui { class DialogSetting; }

// The settings window: global hot keys, the private checking server and the other options.
class PROOFKIT_EXPORT DialogSetting : public BaseDialog
{
    Q_OBJECT
public:
    explicit DialogSetting(QWidget* parent = nullptr);
    ~DialogSetting() override;

    void loadSetting();
    // Hides the window and deletes it, once OK's message box (if one is open) has closed.
    void retire();

public slots:
    void on_tabWidget_currentChanged(int index);
    void on_btnOK_clicked();
    void on_btnCancel_clicked();
    // Marks the private-server fields: both empty or both filled is valid, one alone is not.
    void adjustTextColor();

private:
    void loadOthers();
    void loadLocal();
    void loadHotkeys();
    // Applies every hot-key row; false when one of them could not be bound.
    bool applyHotkeys();

    Ui::DialogSetting* ui = nullptr;
    bool localInvalid = false;
    bool inMessageBox = false;
    bool retired = false;
    // The key each hot-key row showed when loaded, by action object name.
    QHash<QString, QKeySequence> shownKeys;
};
