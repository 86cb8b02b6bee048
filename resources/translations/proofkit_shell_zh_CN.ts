<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Actions</name>
    <message>
        <source>Apply By Double Click</source>
        <translation>双击鼠标改正错误</translation>
    </message>
    <message>
        <source>Cancel Check</source>
        <translation>停止校对</translation>
    </message>
    <message>
        <source>Setting ...</source>
        <translation>设置 ...</translation>
    </message>
    <message>
        <source>Login ...</source>
        <translation>登录 ...</translation>
    </message>
    <message>
        <source>User</source>
        <translation>用户</translation>
    </message>
    <message>
        <source>Report Error ...</source>
        <translation>报告错误 ...</translation>
    </message>
    <message>
        <source>Contact Us</source>
        <translation>联系我们</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>Web</source>
        <translation>网站</translation>
    </message>
    <message>
        <source>About ...</source>
        <translation>关于 ...</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Show Writer ...</source>
        <translation>Korrelo-写作</translation>
    </message>
    <message>
        <source>Check Next %1 Pages</source>
        <translation>校对后 %1 页</translation>
    </message>
    <message>
        <source>Check Current Page</source>
        <translation>校对本页</translation>
    </message>
    <message>
        <source>Enable This Editor</source>
        <translation>在此程序显示浮动窗</translation>
    </message>
    <message>
        <source>Show Error Tip</source>
        <translation>显示错误提示窗口</translation>
    </message>
    <message>
        <source>Show Dict Tip</source>
        <translation>显示词典收录按钮</translation>
    </message>
    <message>
        <source>Show Error List</source>
        <translation>显示错误列表</translation>
    </message>
    <message>
        <source>Black List</source>
        <translation>黑名单模式</translation>
    </message>
    <message>
        <source>Black List Tip</source>
        <translation>校对所有软件，禁止校对黑名单里的软件</translation>
    </message>
    <message>
        <source>White List</source>
        <translation>白名单模式</translation>
    </message>
    <message>
        <source>White List Tip</source>
        <translation>禁止校对所有软件，只校对白名单里的软件</translation>
    </message>
    <message>
        <source>Error Type</source>
        <translation>错误类型</translation>
    </message>
    <message>
        <source>Dict</source>
        <translation>专业词库</translation>
    </message>
    <message>
        <source>VIP User, %1 expired</source>
        <translation>VIP 会员 %1 到期</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>退出登录</translation>
    </message>
    <message>
        <source>Enable Editor %1</source>
        <translation>在 %1 显示浮动窗</translation>
    </message>
    <message>
        <source>Logout succeed</source>
        <translation>成功登出！</translation>
    </message>
    <message>
        <source>Can&apos;t Get All Page Text</source>
        <translation>无法取到要校对的文字。</translation>
    </message>
    <message>
        <source>Can&apos;t Get Current Page Text</source>
        <translation>无法取到要校对的文字。</translation>
    </message>
</context>
<context>
    <name>DialogFloat</name>
    <message>
        <source>Proofdesk</source>
        <translation>Korrelo-校对助手</translation>
    </message>
    <message>
        <source>click to check</source>
        <translation>单击进行校对</translation>
    </message>
    <message>
        <source>Korrelo</source>
        <translation>Korrelo-校对助手</translation>
    </message>
    <message>
        <source>Stop Checking</source>
        <translation>停止校对</translation>
    </message>
    <message>
        <source>Remove All</source>
        <translation>清除校对结果</translation>
    </message>
    <message>
        <source>Logo</source>
        <translation>菜单</translation>
    </message>
</context>
<context>
    <name>DialogSetting</name>
    <message>
        <source>Dialog</source>
        <translation>Korrelo-设置</translation>
    </message>
    <message>
        <source>shortcut</source>
        <translation>快捷键</translation>
    </message>
    <message>
        <source>Local</source>
        <translation>校对服务器</translation>
    </message>
    <message>
        <source>Others</source>
        <translation>其他设置</translation>
    </message>
    <message>
        <source>enable auto update</source>
        <translation>自动检查更新</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定 (&amp;O)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消 (&amp;C)</translation>
    </message>
    <message>
        <source>local server setting error</source>
        <translation>校对服务器设置错误，请重新设置。</translation>
    </message>
</context>
<context>
    <name>KeySequenceEdit</name>
    <message>
        <source>Clear</source>
        <translation>清除快捷键</translation>
    </message>
</context>
<context>
    <name>SystemTrayIcon</name>
    <message>
        <source>Korrelo</source>
        <translation>Korrelo-校对助手</translation>
    </message>
</context>
</TS>
