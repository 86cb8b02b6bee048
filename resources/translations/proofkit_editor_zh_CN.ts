<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>TextEditEx</name>
    <message>
        <source>Text files (*.txt)</source>
        <translation>文本文件 (*.txt)</translation>
    </message>
    <message>
        <source>Html files (*.html *.htm)</source>
        <translation>网页文件（保留格式） (*.html *.htm)</translation>
    </message>
    <message>
        <source>Any files (*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>另存为</translation>
    </message>
    <message>
        <source>Could not open file %1, %2</source>
        <translation>无法打开文件 %1。
错误：%2</translation>
    </message>
    <message>
        <source>Could not save file %1, %2</source>
        <translation>无法保存文件 %1。
错误：%2</translation>
    </message>
    <message>
        <source>The document has been modified.
Do you want to save the file %1?</source>
        <translation>文档已经改变，是否要保存文件 %1？</translation>
    </message>
    <message>
        <source>The path is a folder</source>
        <translation>该路径是一个文件夹</translation>
    </message>
    <message>
        <source>The file is not text in UTF-8, UTF-16 or GB18030</source>
        <translation>该文件不是 UTF-8、UTF-16 或 GB18030 编码的文本</translation>
    </message>
    <message>
        <source>The file seems to be text in %1, not in UTF-8, UTF-16 or GB18030</source>
        <translation>该文件似乎是 %1 编码的文本，而不是 UTF-8、UTF-16 或 GB18030 编码</translation>
    </message>
</context>
<context>
    <name>WidgetSearch</name>
    <message>
        <source>Search</source>
        <translation>查找</translation>
    </message>
    <message>
        <source>Show Replace</source>
        <translation>显示替换</translation>
    </message>
    <message>
        <source>Match Case</source>
        <translation>区分大小写</translation>
    </message>
    <message>
        <source>Close Search</source>
        <translation>关闭查找</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Whole Words</source>
        <translation>全字匹配</translation>
    </message>
    <message>
        <source>Regular Expression</source>
        <translation>正则表达式</translation>
    </message>
    <message>
        <source>Replace With</source>
        <translation>替换为</translation>
    </message>
    <message>
        <source>Replace Next</source>
        <translation>替换下一个</translation>
    </message>
    <message>
        <source>Replace All</source>
        <translation>全部替换</translation>
    </message>
    <message>
        <source>Find Text</source>
        <translation>查找内容</translation>
    </message>
    <message>
        <source>Search Forward</source>
        <translation>向下查找</translation>
    </message>
    <message>
        <source>Search Backward</source>
        <translation>向上查找</translation>
    </message>
</context>
</TS>
