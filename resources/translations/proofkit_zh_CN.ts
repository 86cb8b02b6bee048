<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
    <name>CheckerClient</name>
    <message>
        <source>Korrelo</source>
        <translation>Korrelo-校对助手</translation>
    </message>
    <message>
        <source>Connect Server Error!</source>
        <translation>连接服务器失败！</translation>
    </message>
    <message>
        <source>Request timed out</source>
        <translation>请求超时</translation>
    </message>
    <message>
        <source>The reply is too large</source>
        <translation>服务器的回复过大</translation>
    </message>
    <message>
        <source>The reply is empty</source>
        <translation>服务器的回复为空</translation>
    </message>
    <message>
        <source>The connection closed before the whole reply arrived</source>
        <translation>服务器的回复尚未完整收到，连接就已断开</translation>
    </message>
    <message>
        <source>Parse JSON Data Error!</source>
        <translation>解析 JSON 数据失败，请升级到最新版本，或联系我们。</translation>
    </message>
    <message>
        <source>Can't open korrelo.com</source>
        <translation>无法打开网站 korrelo.com</translation>
    </message>
    <message>
        <source>checking, please wait.</source>
        <translation>正在校对，请稍候 ...</translation>
    </message>
    <message>
        <source>[%1] checking</source>
        <translation>[%1] 正在校对，请稍候 ...</translation>
    </message>
    <message>
        <source>Max %d words!</source>
        <translation>一次最多校对 %d 个字！超出此范围的字将不校对。</translation>
    </message>
    <message>
        <source>JSON Data Error!</source>
        <translation>解析 JSON 数据失败！</translation>
    </message>
    <message>
        <source>local not support</source>
        <translation>“本地部署校对服务器”不支持此功能。</translation>
    </message>
    <message>
        <source>This feature is for VIP members only. Upgrade now?</source>
        <translation>此功能仅对 VIP 会员开放，是否立即升级？</translation>
    </message>
    <message>
        <source>Thanks for the feedback!</source>
        <translation>感谢您的反馈，我们会尽快处理。</translation>
    </message>
    <message>
        <source>Add to dict succeed!</source>
        <translation>已成功添加到用户词库！</translation>
    </message>
    <message>
        <source>test</source>
        <translation>（实验功能，误报多）</translation>
    </message>
    <message>
        <source>ERROR_TYPE_CUO_CI_KU</source>
        <translation>错误词库校对</translation>
    </message>
    <message>
        <source>ERROR_TYPE_CUO_CI_KU_SHORT</source>
        <translation>错误词库</translation>
    </message>
    <message>
        <source>ERROR_TYPE_CUO_CI_KU_DES</source>
        <translation>依据错误词库进行检查是否存在常见的易错词。</translation>
    </message>
    <message>
        <source>ERROR_TYPE_TONG_YIN</source>
        <translation>同音字错误</translation>
    </message>
    <message>
        <source>ERROR_TYPE_TONG_YIN_SHORT</source>
        <translation>同音字</translation>
    </message>
    <message>
        <source>ERROR_TYPE_TONG_YIN_DES</source>
        <translation>读音完全相同的错字，同音字错误一般是由拼音输入法输入错误或疏忽产生。</translation>
    </message>
    <message>
        <source>ERROR_TYPE_XING_JIN</source>
        <translation>形近字错误</translation>
    </message>
    <message>
        <source>ERROR_TYPE_XING_JIN_SHORT</source>
        <translation>形近字</translation>
    </message>
    <message>
        <source>ERROR_TYPE_XING_JIN_DES</source>
        <translation>错字和正确字的字形相似。此类错误的一般是由OCR识别错误产生。笔画输入、手写输入也会产生此类错误。</translation>
    </message>
    <message>
        <source>ERROR_TYPE_CHONG_FU</source>
        <translation>重复错误</translation>
    </message>
    <message>
        <source>ERROR_TYPE_CHONG_FU_SHORT</source>
        <translation>重复</translation>
    </message>
    <message>
        <source>ERROR_TYPE_CHONG_FU_DES</source>
        <translation>检查不应该出现的重复字或词。</translation>
    </message>
    <message>
        <source>ERROR_TYPE_FEI_CHANG_YONG</source>
        <translation>非常用字检查</translation>
    </message>
    <message>
        <source>ERROR_TYPE_FEI_CHANG_YONG_SHORT</source>
        <translation>非常用字</translation>
    </message>
    <message>
        <source>ERROR_TYPE_FEI_CHANG_YONG_DES</source>
        <translation>检查文章中是否出现《现代汉语词典》和《新华字典》里没有的字。</translation>
    </message>
    <message>
        <source>ERROR_TYPE_MIN_GAN_CI</source>
        <translation>敏感词</translation>
    </message>
    <message>
        <source>ERROR_TYPE_MIN_GAN_CI_SHORT</source>
        <translation>敏感词</translation>
    </message>
    <message>
        <source>ERROR_TYPE_MIN_GAN_CI_DES</source>
        <translation>敏感词识别不仅能识别与敏感词列表中完全相同的词，还能识别中间夹杂特殊字符的敏感词。</translation>
    </message>
    <message>
        <source>ERROR_TYPE_BIAO_DIAN_BU_PI_PEI</source>
        <translation>标点符号不匹配</translation>
    </message>
    <message>
        <source>ERROR_TYPE_BIAO_DIAN_BU_PI_PEI_SHORT</source>
        <translation>标点符号不匹配</translation>
    </message>
    <message>
        <source>ERROR_TYPE_BIAO_DIAN_BU_PI_PEI_DES</source>
        <translation>检查符号是否配对，“” 《》 {} 【】 等。</translation>
    </message>
    <message>
        <source>ERROR_TYPE_BIAO_DIAN</source>
        <translation>中英文标点符号误用</translation>
    </message>
    <message>
        <source>ERROR_TYPE_BIAO_DIAN_SHORT</source>
        <translation>标点</translation>
    </message>
    <message>
        <source>ERROR_TYPE_BIAO_DIAN_DES</source>
        <translation>中英文标点符号误用。</translation>
    </message>
    <message>
        <source>ERROR_TYPE_YIN_JIN</source>
        <translation>音近字错误</translation>
    </message>
    <message>
        <source>ERROR_TYPE_YIN_JIN_SHORT</source>
        <translation>音近字</translation>
    </message>
    <message>
        <source>ERROR_TYPE_YIN_JIN_DES</source>
        <translation>检查读音相近的错字。</translation>
    </message>
    <message>
        <source>ERROR_TYPE_DA_PEI</source>
        <translation>搭配错误</translation>
    </message>
    <message>
        <source>ERROR_TYPE_DA_PEI_SHORT</source>
        <translation>搭配</translation>
    </message>
    <message>
        <source>ERROR_TYPE_DA_PEI_DES</source>
        <translation>例如：一科……大树。</translation>
    </message>
</context>
<context>
    <name>DialogLogin</name>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>User Name:</source>
        <translation>用户名:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>密码:</translation>
    </message>
    <message>
        <source>Register ...</source>
        <translation>注册 ...</translation>
    </message>
    <message>
        <source>copyright msg.</source>
        <translation>“Korrelo”会发送要校对的文字到我们的服务器进行校对。这些文字我们不会存储、利用，更不会交给第三方。</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;%1&quot;&gt;Forget Password&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;%1&quot;&gt;忘记密码&lt;/a&gt;</translation>
    </message>
</context>
<context>
    <name>DialogReportError</name>
    <message>
        <source>Error</source>
        <translation>报告错误</translation>
    </message>
    <message>
        <source>Error:</source>
        <translation>识别错误：</translation>
    </message>
    <message>
        <source>Sentence:</source>
        <translation>原始句子：</translation>
    </message>
    <message>
        <source>Note:</source>
        <translation>备注：</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>发送</translation>
    </message>
</context>
<context>
    <name>DialogWeb</name>
    <message>
        <source>Web</source>
        <translation>Korrelo</translation>
    </message>
</context>
<context>
    <name>LoadingOverlay</name>
    <message>
        <source>Loading...</source>
        <translation>正在加载 ...</translation>
    </message>
</context>
<context>
    <name>EventThread</name>
    <message>
        <source>msaa install error.</source>
        <translation>MSAA 安装失败！</translation>
    </message>
</context>
</TS>
