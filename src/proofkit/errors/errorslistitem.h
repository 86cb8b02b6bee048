#pragma once

#include <QString>
#include <QWidget>

#include "proofkit_export.h"

namespace Ui { class ErrorsListItem; }

// A suggestion row, with the changed part marked against the flagged words. Chosen by a click or
// a double click, as the "ApplyByDoubleClick" setting says, or by its Apply button.
class PROOFKIT_EXPORT ErrorsListItem : public QWidget
{
    Q_OBJECT
public:
    explicit ErrorsListItem(QWidget* parent = nullptr);
    ~ErrorsListItem() override;

    void setText(QString itemTitle, int count, QString groupTitle, int groupIndex, int itemIndex);
    void setShowDictTip(bool show);
    // See ErrorsList::setTextWidth; set before the text.
    void setTextWidth(int pixels) { m_textWidth = pixels; }
    void setItemEnabled(bool enable);

    QString itemTitle() const { return m_itemTitle; }
    QString groupTitle() const { return m_groupTitle; }
    int itemIndex() const { return m_itemIndex; }
    int groupIndex() const { return m_groupIndex; }
    bool applyByDoubleClick() const { return m_applyByDoubleClick; }

signals:
    void apply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private slots:
    void on_labelText_mouseLeftClick();
    void on_labelText_mouseDoubleClick();
    void on_btnApply_clicked();
    void on_btnDict_clicked();

private:
    static QString renderText(const QString& itemTitle, int count, const QString& groupTitle);

    Ui::ErrorsListItem* ui = nullptr;
    QString m_itemTitle;
    QString m_groupTitle;
    int m_itemIndex = -1;
    int m_groupIndex = -1;
    bool m_showDictTip = true;
    int m_textWidth = 0;
    bool m_applyShown = true;
    bool m_applyByDoubleClick = true;
    // A press on the text can reach the row as well as the label; the row applies it then, and the
    // label's click that follows must not apply a second time.
    bool m_pressAppliedFromText = false;
};
