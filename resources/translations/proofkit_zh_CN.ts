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
</TS>
