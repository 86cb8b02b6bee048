#pragma once

#include <memory>

#include "utility_export.h"

class CheckData;

// A result paired with a caller-defined integer (-1 by default), for list items and highlights.
class UTILITY_EXPORT CheckDataEx
{
public:
    CheckDataEx();
    CheckDataEx(const CheckDataEx& other);
    CheckDataEx& operator=(const CheckDataEx& other);
    ~CheckDataEx();

    void setData(int data);
    int data() const;
    void setCheckData(std::shared_ptr<CheckData> checkData);
    std::shared_ptr<CheckData> checkData() const;

private:
    std::shared_ptr<CheckData> m_checkData;
    int m_data = -1;
};
