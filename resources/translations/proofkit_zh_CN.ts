<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DialogProgress</name>
    <message>
        <source>Form</source>
        <translation>正在校对</translation>
    </message>
    <message>
        <source>Checking ...</source>
        <translation>正在校对，请稍候 ...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>ContextShow</name>
    <message>
        <source>Spell Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Add To Dict</source>
        <translation>添加到用户词典</translation>
    </message>
    <message>
        <source>Report Error</source>
        <translation>报告错误</translation>
    </message>
    <message>
        <source>Ignore All</source>
        <translation>忽略所有</translation>
    </message>
    <message>
        <source>Ignore Once</source>
        <translation>忽略一次</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>隐藏</translation>
    </message>
    <message>
        <source>Prev</source>
        <translation>前一个</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>后一个</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>恢复原文</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>忽略</translation>
    </message>
    <message>
        <source>%1 Errors + &lt;a href=&apos;%3&apos; target=&apos;_blank&apos; style=&apos;color:red&apos;&gt;%2 VIP&lt;/a&gt;</source>
        <translation>%1 个错误 + &lt;a href=&apos;%3&apos;target=&apos;_blank&apos; style=&apos;color:red&apos;&gt;%2 个高级错误(未显示)&lt;/a&gt;</translation>
    </message>
    <message>
        <source>%1 VIP Errors</source>
        <translation>%1 个高级错误未显示，只提供给 VIP 会员。点击链接升级为 VIP 会员</translation>
    </message>
</context>
<context>
    <name>ErrorsList</name>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
</context>
<context>
    <name>ErrorsListGroup</name>
    <message>
        <source>Dict</source>
        <translation>词典收录</translation>
    </message>
    <message>
        <source>Find in Dict</source>
        <translation>词典收录查询</translation>
    </message>
</context>
<context>
    <name>ErrorsListItem</name>
    <message>
        <source>Dict</source>
        <translation>词典收录</translation>
    </message>
    <message>
        <source>Find in Dict</source>
        <translation>词典收录查询</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
</context>
<context>
    <name>WidgetErrorList</name>
    <message>
        <source>Form</source>
        <translation>错误列表</translation>
    </message>
    <message>
        <source>Expand</source>
        <translation>展开/折叠</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>VIP</source>
        <translation>VIP</translation>
    </message>
    <message>
        <source>All Errors</source>
        <translation>所有错误</translation>
    </message>
    <message>
        <source>we found %1 additional errors for VIP only. &lt;a href=&quot;%2&quot; target=&quot;_blank&quot;&gt; Upgrade &lt;/a&gt;</source>
        <translation>%1 个高级错误未显示，只提供给 VIP 会员。&lt;a href=&quot;%2&quot; target=&quot;_blank&quot;&gt;升级为 VIP 会员&lt;/a&gt;</translation>
    </message>
</context>
</TS>
