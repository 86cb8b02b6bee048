#include "widgeterrorlist.h"
#include "ui_widgeterrorlist.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <map>

#include "checkdataex.h"
#include "checkerclient.h"
#include "config.h"
#include "errorslistgroup.h"
#include "iconfont.h"
#include "settingkeys.h"

namespace {

// Shared by every error list of the process: each click of an expand button, and each refill,
// applies it to the groups and flips it.
bool g_expandAll = false;

QMap<int, QVariant> iconOptions()
{
    return IconColorOptions(QColor(77, 130, 184), QColor(176, 176, 176));
}

// Errors in document order; errors without a position go last, ties keep the order of the result.
bool positionBefore(const std::shared_ptr<CheckDataEx>& a, const std::shared_ptr<CheckDataEx>& b)
{
    const auto& posA = a->checkData()->pos;
    const auto& posB = b->checkData()->pos;
    if (posA.empty() || posB.empty())
        return !posA.empty() && posB.empty();
    return posA[0].begin < posB[0].begin;
}

} // namespace

WidgetErrorList::WidgetErrorList(QWidget* parent)
    : BaseWidget(parent)
    , ui(new Ui::WidgetErrorList)
{
    ui->setupUi(this);
    ui->btnClose->setIcon(getIconFont()->icon(0xf00d, iconOptions()));
    ui->labelVip->hide();
    m_baseTitle = windowTitle();
    ui->errorList->setGroupSetUp([this](ErrorsListGroup* group) {
        connect(group, &ErrorsListGroup::clicked, this, &WidgetErrorList::onGroupClicked);
        QCursor cursor(Qt::PointingHandCursor);
        group->setTitleCursor(cursor);
    });
}

WidgetErrorList::~WidgetErrorList()
{
    delete ui;
}

void WidgetErrorList::setCheckData(const CHECK_DATAS& datas, const QString& name)
{
    ui->errorList->clear();
    ui->cmbErrorType->clear();
    m_entries.clear();

    setWindowTitle(m_baseTitle + QStringLiteral("[ %1 ]").arg(name));
    // Refreshed for every result, an empty one too: an earlier check's count must not stay.
    updateVipNotice();
    if (datas.empty())
        return;

    for (size_t i = 0; i < datas.size(); ++i) {
        if (!datas[i])
            continue;
        auto entry = std::make_shared<CheckDataEx>();
        entry->setCheckData(datas[i]);
        entry->setData(int(i));
        m_entries.push_back(entry);
    }
    std::stable_sort(m_entries.begin(), m_entries.end(), positionBefore);

    // The groups start as the expand step below leaves them, so collapsed ones never build rows
    // nobody has opened yet.
    ui->errorList->setNewGroupsExpanded(g_expandAll);
    std::map<int, int> typeCounts;
    for (const auto& entry : m_entries) {
        const std::shared_ptr<CheckData> data = entry->checkData();
        for (int type : data->errorTypes)
            ++typeCounts[type];
        ui->errorList->addCheckDataWhenShown(data, entry->data());
    }
    ui->errorList->addStretch();

    {
        const QSignalBlocker blocker(ui->cmbErrorType);
        ui->cmbErrorType->addItem(tr("All Errors") + QStringLiteral(" (%1)").arg(m_entries.size()), -1);
        CheckerClient* client = getCheckerClient();
        for (const auto& [type, count] : typeCounts) {
            const QString typeName = client ? client->getErrorTypeName(type, false, false) : QString();
            ui->cmbErrorType->addItem(typeName + QStringLiteral(" (%1)").arg(count), type);
        }
        ui->cmbErrorType->setCurrentIndex(0);
    }

    on_btnExpand_clicked();
}

void WidgetErrorList::updateVipNotice()
{
    CheckerClient* client = getCheckerClient();
    if (!client || client->isVIP() || client->getVipErrorCount() == 0) {
        ui->labelVip->hide();
        return;
    }
    // The address carries account values; escaped, the link still leads to it exactly.
    ui->labelVip->setText(
        tr("we found %1 additional errors for VIP only. <a href=\"%2\" target=\"_blank\"> Upgrade </a>")
            .arg(client->getVipErrorCount())
            .arg(client->getWebUrl(URL_APP_VIP, QString()).toHtmlEscaped()));
    ui->labelVip->show();
}

void WidgetErrorList::showAsDialog()
{
    m_placing = true;

    // The flags come before the placing: changing them afterwards recreates the window and loses the
    // note that the restored position includes the frame, so the window would creep at every showing.
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint;
#ifdef Q_OS_WIN
    flags |= Qt::BypassWindowManagerHint;
#endif
    // On X11 the bypass hint would take away the title bar and the close button; stay-on-top is kept
    // through the window manager instead.
    setWindowFlags(flags);

    resize(width(), QApplication::desktop()->height() * 5 / 6);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignRight | Qt::AlignVCenter, size(), available));
    if (Config* config = GetConfig())
        restoreGeometry(config->getValueBinary(SettingKeys::WidgetShowGeometry));
    // Only a window that is off the screen is moved: before the window exists its position does not
    // count the frame yet, and moving it to where it already is would shift it by the frame.
    if (!available.contains(pos()))
        ensureInScreen();

    setWindowIcon(QIcon(QStringLiteral(":/images/icon128.png")));
    ui->verticalLayout->setContentsMargins(11, 11, 11, 11);
    ui->btnClose->hide();

    m_shownAsWindow = true;
    // Shown after a check, while the user types on: the keys stay in the editor.
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
    m_placing = false;
}

void WidgetErrorList::savePostion()
{
    if (!m_shownAsWindow || m_placing)
        return;
    if (Config* config = GetConfig())
        config->setValueBinary(SettingKeys::WidgetShowGeometry, saveGeometry());
}

void WidgetErrorList::moveEvent(QMoveEvent* event)
{
    savePostion();
    QWidget::moveEvent(event);
}

void WidgetErrorList::resizeEvent(QResizeEvent* event)
{
    savePostion();
    QWidget::resizeEvent(event);
}

void WidgetErrorList::closeEvent(QCloseEvent* event)
{
    savePostion();
    BaseWidget::closeEvent(event);
}

void WidgetErrorList::on_btnExpand_clicked()
{
    ui->errorList->expandAll(g_expandAll);
    ui->btnExpand->setIcon(getIconFont()->icon(g_expandAll ? 0xf107 : 0xf104, iconOptions()));
    g_expandAll = !g_expandAll;
}

void WidgetErrorList::on_btnClose_clicked()
{
    hide();
}

void WidgetErrorList::on_cmbErrorType_currentIndexChanged(int index)
{
    const int count = ui->errorList->groupCount();
    if (count == 0)
        return;
    const int type = ui->cmbErrorType->itemData(index).toInt();
    emit errorTypeChanged(type);
    for (int i = 0; i < count; ++i) {
        const bool shown = size_t(i) < m_entries.size()
                           && (type == -1 || m_entries[size_t(i)]->checkData()->hasErrorType(type));
        ui->errorList->setGroupShown(i, shown);
    }
}

void WidgetErrorList::onGroupClicked(ErrorsListGroup* group)
{
    emit groupClicked(group);
}

void WidgetErrorList::on_errorList_apply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex)
{
    emit apply(itemTitle, itemIndex, groupTitle, groupIndex);
}

void WidgetErrorList::on_labelVip_linkActivated(const QString& link)
{
    CheckerClient* client = getCheckerClient();
    if (client && link == client->getWebUrl(URL_APP_VIP, QString()))
        client->showUpgradeVIP();
}
