#include "sampledocument.h"

SampleDocument sampleDocument()
{
    // Each page: a heading and two paragraphs. 的的确确 is correct and stays unmarked, and so does
    // the comma of 1,000, while the half-width comma in the sentence before it is an error.
    const std::vector<std::u16string> pages = {
        u"项目周报\r"
        u"本周他门都以经完成了新系统的按装，大家的的确确付出了很多努力。\r"
        u"下周我们会做为试点部门,继续收集用户的意见，预算是1,000元。\r",
        u"会议纪要\r"
        u"会上大家在次讨论了方案，即然进度紧张，就不必报歉，直接提出问题。\r"
        u"请各位检查自已的帐号设置，部份同事还没有修改初始密码。\r",
        u"后续安排\r"
        u"每周五下午在三楼会议室开会，请提前找好坐位。\r"
        u"如有时间安排重迭，请及时反馈，并带好必须品。\r",
    };
    SampleDocument sample;
    for (const std::u16string& page : pages) {
        if (!sample.text.empty())
            sample.pageStarts.push_back(static_cast<int>(sample.text.size()));
        sample.text += page;
    }
    return sample;
}
