<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>PagedTextEdit</name>
    <message>
        <source>end of page %1</source>
        <translation>第 %1 页结束</translation>
    </message>
</context>
<context>
    <name>DemoWindow</name>
    <message>
        <source>Simulated word processor</source>
        <translation>模拟文字处理程序</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>打印</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>New document</source>
        <translation>新建文档</translation>
    </message>
    <message>
        <source>simulated word processor</source>
        <translation>模拟文字处理程序</translation>
    </message>
    <message>
        <source>%1 - simulated word processor</source>
        <translation>%1 - 模拟文字处理程序</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>第 %1 页，共 %2 页</translation>
    </message>
    <message>
        <source>Saved %1 times (underlined stretches in the file: %2), printed %3 times (underlined: %4)</source>
        <translation>已保存 %1 次（文件中带下划线的文字：%2 处），已打印 %3 次（带下划线：%4 处）</translation>
    </message>
</context>
<context>
    <name>DemoScene</name>
    <message>
        <source>Click into the text, then check the page (floating button, its ▾ menu or Ctrl+Shift+C); move the caret onto a wavy underline for suggestions.</source>
        <translation>请先点击正文，再检查本页（浮动按钮、其 ▾ 菜单或 Ctrl+Shift+C）；将光标移到波浪下划线上即可看到建议。</translation>
    </message>
</context>
</TS>
