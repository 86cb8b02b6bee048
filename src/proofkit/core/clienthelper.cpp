#include "clienthelper.h"

ClientHelper::ClientHelper() : QObject(nullptr)
{
    qRegisterMetaType<QSharedPointer<EditorParam>>();
}

ClientHelper::~ClientHelper() = default;

QSharedPointer<EditorParam> ClientHelper::getCurDocument() const
{
    return curDocument;
}

void ClientHelper::setForegroundEditor() {}

QString ClientHelper::getCurrentPageText(QSharedPointer<EditorParam>, bool)
{
    return QString();
}

QString ClientHelper::getAllPageText(QSharedPointer<EditorParam>, bool)
{
    return QString();
}

QString ClientHelper::getNextPageText(QSharedPointer<EditorParam>, bool, int)
{
    return QString();
}

bool ClientHelper::focusChanged(QSharedPointer<EditorParam>)
{
    return false;
}

bool ClientHelper::hasData(QSharedPointer<EditorParam>)
{
    return false;
}

bool ClientHelper::canShowErrors(QSharedPointer<EditorParam>)
{
    return false;
}

void ClientHelper::showErrors(const std::vector<std::shared_ptr<CheckData>>&, QSharedPointer<EditorParam>,
                              const QVector<int>&)
{
}

void ClientHelper::reportError(QSharedPointer<EditorParam>) {}

std::vector<std::shared_ptr<CheckData>>* ClientHelper::getCheckDatas(QSharedPointer<EditorParam>)
{
    return nullptr;
}

void ClientHelper::clearErrors(QSharedPointer<EditorParam>) {}

bool ClientHelper::nextError(QSharedPointer<EditorParam>)
{
    return false;
}

bool ClientHelper::prevError(QSharedPointer<EditorParam>)
{
    return false;
}

void ClientHelper::enableErrorTip(bool enable)
{
    errorTipEnabled = enable;
}

QRect ClientHelper::getEditRect(QSharedPointer<EditorParam>)
{
    return QRect();
}

bool ClientHelper::canShowErrorList(QSharedPointer<EditorParam>)
{
    return false;
}

bool ClientHelper::showErrorList(QSharedPointer<EditorParam>)
{
    return false;
}
