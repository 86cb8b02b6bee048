#include "checkdataex.h"

#include "checkdata.h"

CheckDataEx::CheckDataEx() = default;
CheckDataEx::CheckDataEx(const CheckDataEx& other) = default;
CheckDataEx& CheckDataEx::operator=(const CheckDataEx& other) = default;
CheckDataEx::~CheckDataEx() = default;

void CheckDataEx::setData(int data)
{
    m_data = data;
}

int CheckDataEx::data() const
{
    return m_data;
}

void CheckDataEx::setCheckData(std::shared_ptr<CheckData> checkData)
{
    m_checkData = std::move(checkData);
}

std::shared_ptr<CheckData> CheckDataEx::checkData() const
{
    return m_checkData;
}
