#include "contextshow.h"
#include "ui_contextshow.h"

#include <QCursor>
#include <QMenu>
#include <QMoveEvent>
#include <QToolButton>

#include "checkerclient.h"
#include "errorslistgroup.h"
#include "iconfont.h"
#include "initui.h"

namespace {

constexpr int kMinSize = 100;
constexpr int kMaxSize = 350;
// The pop-up's frame and the list's vertical scroll bar.
constexpr int kListFrame = 16;

// Moves the cursor onto the button after the pop-up jumped, so the next click lands on it.
void pointAt(QWidget* button)
{
    QCursor::setPos(button->mapToGlobal(QPoint(button->width() / 2, button->height() / 2)));
}

// The notice quotes the upgrade address with ', inside which the rich-text parser takes every
// character as written; a ' of the address (it carries account values) would end the link early.
QString upgradeUrl(CheckerClient* client)
{
    return client->getWebUrl(URL_APP_VIP, QString()).replace(QLatin1Char('\''), QStringLiteral("%27"));
}

} // namespace

ContextShow::ContextShow(QWidget* parent)
    : QFramelessWindow(parent)
    , ui(new Ui::ContextShow)
{
    ui->setupUi(this);
    // The pop-up keeps its width: long texts are shortened rather than scrolled sideways.
    ui->widgetErrorList->setTextWidth(kMaxSize - kListFrame);

    Qt::WindowFlags flags = Qt::FramelessWindowHint | Qt::SubWindow | Qt::WindowStaysOnTopHint;
#ifndef Q_OS_WIN
    // The window manager must never hand the keyboard to the pop-up: the user keeps typing in the editor.
    flags |= Qt::WindowDoesNotAcceptFocus;
#endif
    setWindowFlags(flags);
    setWindowFlags(windowFlags() & ~Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Never the active window, yet its icon-only buttons are explained only by their tool tips.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    auto* menu = new QMenu(tr("Ignore"), this);
    menu->addAction(ui->actionIgnoreOnce);
    menu->addAction(ui->actionIgnoreAll);
    menu->addSeparator();
    menu->addAction(ui->actionReportError);
    ui->btnIgnoreOnce->setMenu(menu);

    IconFont* iconFont = getIconFont();
    const auto options = IconColorOptions(QColor(77, 130, 184), QColor(176, 176, 176));
    ui->btnHide->setIcon(iconFont->icon(0xf00d, IconColorOptions(QColor(100, 100, 100))));
    ui->btnUndo->setIcon(iconFont->icon(0xf0e2, options));
    ui->btnNext->setIcon(iconFont->icon(0xf18e, options));
    ui->btnPrev->setIcon(iconFont->icon(0xf190, options));
    ui->btnIgnoreOnce->setIcon(iconFont->icon(0xf118, options));
}

ContextShow::~ContextShow()
{
    delete ui;
}

bool ContextShow::showCheckData(const CHECK_DATAS& datas, const QString& text)
{
    if (text.isEmpty() || datas.empty())
        return false;
    clear();

    CheckerClient* client = getCheckerClient();
    if (client && !client->isVIP() && client->getVipErrorCount() > 0) {
        const int vipCount = client->getVipErrorCount();
        const QString url = upgradeUrl(client);
        showMsg(tr("%1 Errors + <a href='%3' target='_blank' style='color:red'>%2 VIP</a>")
                    .arg(int(datas.size())).arg(vipCount).arg(url),
                tr("%1 VIP Errors").arg(vipCount));
    }

    bool added = false;
    for (size_t i = 0; i < datas.size(); ++i) {
        const std::shared_ptr<CheckData>& data = datas[i];
        if (!data)
            continue;
        const QString words = QString::fromUtf8(data->words.c_str());
        if (text.indexOf(words, 0, Qt::CaseSensitive) == -1)
            continue;
        if (ui->widgetErrorList->addCheckDataWhenShown(data, int(i)))
            added = true;
    }
    ui->widgetErrorList->addStretch();

    if (!added)
        return false;
    setAllMouseTracking();
    return true;
}

void ContextShow::move(int x, int y, QRect& errorRect)
{
    placeAt(x, y - errorRect.height() - height() - 2);
    if (geometry().intersects(errorRect))
        placeAt(errorRect.right() + 2, y);
    if (geometry().intersects(errorRect))
        placeAt(errorRect.left() - width() - 2, y);
}

void ContextShow::placeAt(int x, int y)
{
    QWidget::move(x, y);
    // A hidden window gets its move event, and with it the screen clamp, only when it is shown; the
    // owners place the pop-up before showing it, and the overlap test must see where it will appear.
    if (!isVisible()) {
        QMoveEvent event(pos(), pos());
        QFramelessWindow::moveEvent(&event);
    }
}

void ContextShow::enableUndo(bool enable)
{
    ui->btnUndo->setEnabled(enable);
}

void ContextShow::clear()
{
    showMsg(QString(), QString());
    ui->widgetErrorList->clear();
    resize(width(), kMaxSize);
}

void ContextShow::showMsg(QString msg, QString toolTip)
{
    ui->labelMsg->setText(msg);
    ui->labelMsg->setToolTip(toolTip);
    ui->labelMsg->setVisible(!msg.isEmpty());
}

void ContextShow::showEvent(QShowEvent* /*event*/)
{
}

void ContextShow::on_widgetErrorList_apply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex)
{
    emit apply(itemTitle, itemIndex, groupTitle, groupIndex);
}

void ContextShow::on_btnHide_clicked()
{
    emit hideDialog();
    hide();
}

bool ContextShow::on_btnUndo_clicked()
{
    return emit undo();
}

void ContextShow::on_btnNext_clicked()
{
    emit next();
    pointAt(ui->btnNext);
}

void ContextShow::on_btnPrev_clicked()
{
    emit prev();
    pointAt(ui->btnPrev);
}

// The menu actions hide the pop-up first: the owner may open a dialog in answer to the signal.
void ContextShow::on_actionAddToDict_triggered()
{
    hide();
    emit addToDict();
}

void ContextShow::on_actionReportError_triggered()
{
    hide();
    emit reportError();
}

void ContextShow::on_actionIgnoreAll_triggered()
{
    hide();
    emit ignoreAll();
}

void ContextShow::on_actionIgnoreOnce_triggered()
{
    hide();
    emit ignoreOnce();
}

void ContextShow::on_widgetErrorList_maxHeightChanged(int maxHeight, int maxWidth)
{
    int height = ui->widgetButtons->height() + maxHeight + 10;
    if (!ui->labelMsg->text().isEmpty())
        height += ui->labelMsg->height();
    const int width = maxWidth + 15;
    resize(qBound(kMinSize, width, kMaxSize), qBound(kMinSize, height, kMaxSize));
}

void ContextShow::on_labelMsg_linkActivated(const QString& link)
{
    CheckerClient* client = getCheckerClient();
    if (client && link == upgradeUrl(client))
        client->showUpgradeVIP();
}

void showContextShow(QWidget* parent)
{
    initUI();
    auto* popup = new ContextShow(parent);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->show();
}
