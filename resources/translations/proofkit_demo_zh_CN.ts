<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
        <source>Stand-in for the shell&apos;s check command: checks the page holding the caret</source>
        <translation>代替尚未完成的检查命令：检查光标所在的页面</translation>
    </message>
    <message>
        <source>Check current page</source>
        <translation>检查当前页</translation>
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
        <source>Click into the text, then &quot;Check current page&quot;; move the caret onto a wavy underline for suggestions.</source>
        <translation>请先点击正文，再点“检查当前页”；将光标移到波浪下划线上即可看到建议。</translation>
    </message>
    <message>
        <source>No editor has been taken yet: click into the document first.</source>
        <translation>还没有接管任何编辑器：请先点击文档。</translation>
    </message>
    <message>
        <source>The active editor gave no text to check.</source>
        <translation>当前编辑器没有可检查的文字。</translation>
    </message>
    <message numerus="yes">
        <source>%n finding(s) on this page.</source>
        <translation>
            <numerusform>本页发现 %n 处问题。</numerusform>
        </translation>
    </message>
    <message>
        <source>The check could not start.</source>
        <translation>无法开始检查。</translation>
    </message>
</context>
</TS>
