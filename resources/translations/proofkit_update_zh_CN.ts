<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Actions</name>
    <message>
        <source>Korrelo</source>
        <translation>Korrelo-校对助手</translation>
    </message>
</context>
<context>
    <name>DialogAbout</name>
    <message>
        <source>About Korrelo</source>
        <translation>关于Korrelo</translation>
    </message>
    <message>
        <source>Made by the Korrelo team: &lt;a href=&quot;http://www.korrelo.com/&quot;&gt;www.korrelo.com&lt;/a&gt;</source>
        <translation>Korrelo 团队出品：&lt;a href=&quot;http://www.korrelo.com/&quot;&gt;www.korrelo.com&lt;/a&gt;</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>确定 (&amp;O)</translation>
    </message>
    <message>
        <source>Korrelo</source>
        <translation>Korrelo-校对助手</translation>
    </message>
</context>
<context>
    <name>DialogClient</name>
    <message>
        <source>Proofdesk</source>
        <translation>Korrelo-校对助手</translation>
    </message>
    <message>
        <source>Check</source>
        <translation>校对</translation>
    </message>
    <message>
        <source>Check Current Page</source>
        <translation>校对本页</translation>
    </message>
    <message>
        <source>Check Next %1 Pages</source>
        <translation>校对后%1页</translation>
    </message>
    <message>
        <source>Errors</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Remove All</source>
        <translation>清除结果</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>前一个</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>后一个</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>设置</translation>
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
        <source>Tools</source>
        <translation>工具</translation>
    </message>
    <message>
        <source>User</source>
        <translation>用户</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>Report Error</source>
        <translation>报告错误</translation>
    </message>
    <message>
        <source>Contact</source>
        <translation>联系我们</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>Web</source>
        <translation>Korrelo网站</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Stays on top</source>
        <translation>窗口最前显示</translation>
    </message>
    <message>
        <source>Can&apos;t attach WPS or Word!</source>
        <translation>没有探测到 WPS 或 Word 文档！</translation>
    </message>
    <message>
        <source> &lt;span style=&apos;color:red;&apos;&gt;( %1 Errors ) &lt;/span&gt;</source>
        <translation> &lt;span style=&apos;color:red;&apos;&gt;( %1 个错误 ) &lt;/span&gt;</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>登出</translation>
    </message>
    <message>
        <source>Can&apos;t Get Current Page Text</source>
        <translation>没有取到当前页文字！Korrelo不支持绿色版的 WORD 或 WPS。</translation>
    </message>
    <message>
        <source>Can&apos;t Get All Page Text</source>
        <translation>没有取到所有页文字！Korrelo不支持绿色版的 WORD 或 WPS。</translation>
    </message>
    <message>
        <source>&lt;span style=&apos;color:red;&apos;&gt;Found %1 Errors&lt;/span&gt;</source>
        <translation>&lt;span style=&apos;color:red;&apos;&gt;找到 %1 个错误&lt;/span&gt;</translation>
    </message>
    <message>
        <source>Logout succeed</source>
        <translation>成功登出！</translation>
    </message>
</context>
<context>
    <name>DialogContact</name>
    <message>
        <source>Contact</source>
        <translation>联系我们</translation>
    </message>
    <message>
        <source>suggestions or questions:</source>
        <translation>您的建议或意见：</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>邮箱、QQ或者微信（可选）</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>Please input message.</source>
        <translation>请输入建议或意见。</translation>
    </message>
    <message>
        <source>Your message was copied; please paste it on the contact page.</source>
        <translation>留言已复制，请粘贴到联系页面。</translation>
    </message>
</context>
<context>
    <name>DialogTip</name>
    <message>
        <source>Tip</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>在Word、WPS、写字板、记事本、QQ等程序右下角会出现&lt;b&gt;Korrelo&lt;/b&gt;的浮动窗口。&lt;br&gt;&lt;br&gt;
点击浮动窗口里的按钮进行校对。</source>
        <translation>在Word、WPS、写字板、记事本、QQ等程序右下角会出现&lt;b&gt;Korrelo&lt;/b&gt;的浮动窗口。&lt;br&gt;&lt;br&gt;
点击浮动窗口里的按钮进行校对。</translation>
    </message>
    <message>
        <source>Korrelo检查完之后，会在有错误的文字下面画上红线。&lt;br&gt;&lt;br&gt;
点击画红线的文字，显示弹出菜单，提示正确的字词。&lt;br&gt;&lt;br&gt;</source>
        <translation>Korrelo检查完之后，会在有错误的文字下面画上红线。&lt;br&gt;&lt;br&gt;
点击画红线的文字，显示弹出菜单，提示正确的字词。&lt;br&gt;&lt;br&gt;</translation>
    </message>
    <message>
        <source>Korrelo启动之后，会在屏幕右下角的系统托盘显示&lt;b&gt;Korrelo&lt;/b&gt;图标。&lt;br&gt;&lt;br&gt;
鼠标右键单击图标，显示操作菜单。&lt;br&gt;&lt;br&gt;
鼠标左键双击图标，显示&lt;b&gt;Korrelo-写作&lt;/b&gt;。</source>
        <translation>Korrelo启动之后，会在屏幕右下角的系统托盘显示&lt;b&gt;Korrelo&lt;/b&gt;图标。&lt;br&gt;&lt;br&gt;
鼠标右键单击图标，显示操作菜单。&lt;br&gt;&lt;br&gt;
鼠标左键双击图标，显示&lt;b&gt;Korrelo-写作&lt;/b&gt;。</translation>
    </message>
    <message>
        <source>Naver Show Again</source>
        <translation>不再显示此窗口</translation>
    </message>
    <message>
        <source>Prev</source>
        <translation>&lt; 前一个</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>后一个 &gt;</translation>
    </message>
</context>
<context>
    <name>Downloader</name>
    <message>
        <source>Updater</source>
        <translation>Korrelo-自动更新</translation>
    </message>
    <message>
        <source>Downloading updates</source>
        <translation>正在下载 ...</translation>
    </message>
    <message>
        <source>Time remaining: 0 minutes</source>
        <translation>剩余时间：0 分钟</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Time remaining</source>
        <translation>剩余时间</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>The download address is not valid.</source>
        <translation>下载地址无效。</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>The server answered %1.</source>
        <translation>服务器返回 %1。</translation>
    </message>
    <message>
        <source>Only %1 of %2 bytes arrived.</source>
        <translation>只收到 %2 字节中的 %1 字节。</translation>
    </message>
    <message>
        <source>The download cannot be verified: the server sent neither its length nor a checksum.</source>
        <translation>无法校验下载的文件：服务器既未给出文件长度，也未给出校验和。</translation>
    </message>
    <message>
        <source>The download is empty.</source>
        <translation>下载的文件是空的。</translation>
    </message>
    <message>
        <source>The download is larger than an update can be (over %1).</source>
        <translation>下载的文件超出了更新文件应有的大小（超过 %1）。</translation>
    </message>
    <message>
        <source>The download stalled (no data for %1 s).</source>
        <translation>下载停滞（%1 秒内没有收到数据）。</translation>
    </message>
    <message>
        <source>The downloaded file is damaged (its checksum does not match).</source>
        <translation>下载的文件已损坏（校验和不符）。</translation>
    </message>
    <message>
        <source>Cannot save %1.</source>
        <translation>无法保存 %1。</translation>
    </message>
    <message>
        <source>Download failed</source>
        <translation>下载失败</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Download complete!</source>
        <translation>下载完成！</translation>
    </message>
    <message>
        <source>The installer will open separately</source>
        <translation>将要运行安装程序</translation>
    </message>
    <message>
        <source>Click &quot;OK&quot; to begin installing the update</source>
        <translation>单击“确定”按钮，开始安装更新。</translation>
    </message>
    <message>
        <source>In order to install the update, you may need to quit the application. This is a mandatory update, exiting now will close the application</source>
        <translation>安装更新，将会关闭Korrelo。</translation>
    </message>
    <message>
        <source>In order to install the update, you may need to quit the application.</source>
        <translation>安装更新，将会关闭Korrelo。</translation>
    </message>
    <message>
        <source>Click the &quot;Open&quot; button to apply the update</source>
        <translation>单击“运行”按钮，开始安装更新。</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Cannot find downloaded update!</source>
        <translation>没有找到升级文件！</translation>
    </message>
    <message>
        <source>Are you sure you want to cancel the download? This is a mandatory update, exiting now will close the application</source>
        <translation>确定要取消下载吗？</translation>
    </message>
    <message>
        <source>Are you sure you want to cancel the download?</source>
        <translation>确定要取消下载吗？</translation>
    </message>
    <message>
        <source>Downloading Updates</source>
        <translation>正在下载更新</translation>
    </message>
    <message>
        <source>Time Remaining</source>
        <translation>剩余时间</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 字节</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>of</source>
        <translation>/</translation>
    </message>
    <message>
        <source>about %1 hours</source>
        <translation>大约 %1 小时</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 分钟</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 分钟</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>1 second</source>
        <translation>1 秒</translation>
    </message>
</context>
<context>
    <name>Updater</name>
    <message>
        <source>Would you like to download the update now? This is a mandatory update, exiting now will close the application</source>
        <translation>是否需要下载更新？</translation>
    </message>
    <message>
        <source>Would you like to download the update now?</source>
        <translation>是否需要下载更新？</translation>
    </message>
    <message>
        <source>Version %1 of %2 has been released!</source>
        <translation>%2 版本 %1 已经发布</translation>
    </message>
    <message>
        <source>No updates are available for the moment</source>
        <translation>当前是最新版本。</translation>
    </message>
    <message>
        <source>Congratulations! You are running the latest version of %1</source>
        <translation> %1 是最新版本。</translation>
    </message>
</context>
</TS>
