<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AlgorithmBoxProc</name>
    <message>
        <source>open BOXPORT failed!</source>
        <translation>打开算法盒端口失败！</translation>
    </message>
    <message>
        <source>firmware upgrade OK!</source>
        <translation>固件升级成功！</translation>
    </message>
    <message>
        <source>firmware upgrade NG!</source>
        <translation>固件升级失败！</translation>
    </message>
</context>
<context>
    <name>BGraphicsItem</name>
    <message>
        <source>refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>filter</source>
        <translation>过滤</translation>
    </message>
    <message>
        <source>add</source>
        <translation>添加</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>删除</translation>
    </message>
</context>
<context>
    <name>BPolygon</name>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Polygon vertices cannot more than 20,please redraw!</source>
        <translation>多边形顶点不能超过20个，请重新绘制！</translation>
    </message>
</context>
<context>
    <name>CommissioningReport</name>
    <message>
        <source>Commissioning report</source>
        <translation>调试报告</translation>
    </message>
    <message>
        <source>A record of the settings and protection fields of one scanner at its hand-over.</source>
        <translation>一台雷达交付时的设置与防护区域记录。</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>型号</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>Device number</source>
        <translation>设备编号</translation>
    </message>
    <message>
        <source>Serial baud rate</source>
        <translation>串口波特率</translation>
    </message>
    <message>
        <source>baud</source>
        <translation>波特</translation>
    </message>
    <message>
        <source>Scanner address</source>
        <translation>雷达地址</translation>
    </message>
    <message>
        <source>Subnet mask / gateway</source>
        <translation>子网掩码 / 网关</translation>
    </message>
    <message>
        <source>Scan data sent to</source>
        <translation>扫描数据发送至</translation>
    </message>
    <message>
        <source>Link used</source>
        <translation>使用的连接</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>日期与时间</translation>
    </message>
    <message>
        <source>Program version</source>
        <translation>程序版本</translation>
    </message>
    <message>
        <source>Engineer</source>
        <translation>工程师</translation>
    </message>
    <message>
        <source>Site</source>
        <translation>现场</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>概要</translation>
    </message>
    <message>
        <source>Protection fields: not read.</source>
        <translation>防护区域：未读取。</translation>
    </message>
    <message>
        <source>Protection fields: none stored.</source>
        <translation>防护区域：未存储任何区域。</translation>
    </message>
    <message>
        <source>Protection fields: %1 shapes in zone(s) %2.</source>
        <translation>防护区域：防区 %2 中共 %1 个图形。</translation>
    </message>
    <message>
        <source>matches the image last written</source>
        <translation>与最近写入的映像一致</translation>
    </message>
    <message>
        <source>DOES NOT match the image last written</source>
        <translation>与最近写入的映像不一致</translation>
    </message>
    <message>
        <source>no written image to compare with</source>
        <translation>没有可比较的已写入映像</translation>
    </message>
    <message>
        <source>Zone image CRC %1: %2.</source>
        <translation>防区映像 CRC %1：%2。</translation>
    </message>
    <message>
        <source>Parameters</source>
        <translation>参数</translation>
    </message>
    <message>
        <source>The parameter block is not available.</source>
        <translation>参数块不可用。</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>值</translation>
    </message>
    <message>
        <source>Output mapping</source>
        <translation>输出映射</translation>
    </message>
    <message>
        <source>A mark: the status drives the output.</source>
        <translation>标记：该状态驱动此输出。</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Output 1</source>
        <translation>输出 1</translation>
    </message>
    <message>
        <source>Output 2</source>
        <translation>输出 2</translation>
    </message>
    <message>
        <source>Output 3</source>
        <translation>输出 3</translation>
    </message>
    <message>
        <source>Output 4</source>
        <translation>输出 4</translation>
    </message>
    <message>
        <source>Protection field: zone %1</source>
        <translation>防护区域：防区 %1</translation>
    </message>
    <message>
        <source>%1 m</source>
        <translation>%1 m</translation>
    </message>
    <message>
        <source>%1 mm</source>
        <translation>%1 mm</translation>
    </message>
    <message>
        <source>Grid %1, scale 1:%2. Blue: observation, yellow: warning, red: alarm, dashed: filter polygon (cut out).</source>
        <translation>网格 %1，比例 1:%2。蓝色：观察，黄色：警告，红色：报警，虚线：过滤多边形（已挖除）。</translation>
    </message>
    <message>
        <source>Grey points: the last revolution received.</source>
        <translation>灰色点：最近接收的一圈数据。</translation>
    </message>
    <message>
        <source>No revolution was available.</source>
        <translation>没有可用的一圈数据。</translation>
    </message>
    <message>
        <source>Verification</source>
        <translation>校验</translation>
    </message>
    <message>
        <source>Zones taken from</source>
        <translation>防区来源</translation>
    </message>
    <message>
        <source>not read</source>
        <translation>未读取</translation>
    </message>
    <message>
        <source>Zone image CRC</source>
        <translation>防区映像 CRC</translation>
    </message>
    <message>
        <source>not available</source>
        <translation>不可用</translation>
    </message>
    <message>
        <source>Image content</source>
        <translation>映像内容</translation>
    </message>
    <message>
        <source>intact: the content gives the CRC of its header</source>
        <translation>完好：内容与其头部的 CRC 相符</translation>
    </message>
    <message>
        <source>DAMAGED: the content does not give the CRC of its header</source>
        <translation>已损坏：内容与其头部的 CRC 不符</translation>
    </message>
    <message>
        <source>Last image written</source>
        <translation>最近写入的映像</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1，%2</translation>
    </message>
    <message>
        <source>no zone write recorded</source>
        <translation>没有防区写入记录</translation>
    </message>
    <message>
        <source>Matches what was written</source>
        <translation>与写入内容一致</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>NO: the scanner holds another image</source>
        <translation>否：雷达中存有另一映像</translation>
    </message>
    <message>
        <source>not checked</source>
        <translation>未检查</translation>
    </message>
    <message>
        <source>Changes recorded today</source>
        <translation>今日记录的更改</translation>
    </message>
    <message>
        <source>No change to this scanner is recorded for today.</source>
        <translation>今日没有此雷达的更改记录。</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>Program (level)</source>
        <translation>程序（权限级别）</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>指令</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>详情</translation>
    </message>
    <message>
        <source>Hand-over</source>
        <translation>交付</translation>
    </message>
    <message>
        <source>Handed over by</source>
        <translation>交付人</translation>
    </message>
    <message>
        <source>Signature and date</source>
        <translation>签名与日期</translation>
    </message>
    <message>
        <source>Accepted by</source>
        <translation>接收人</translation>
    </message>
    <message>
        <source>SN %1</source>
        <translation>序列号 %1</translation>
    </message>
    <message>
        <source>The report needs the graphical application object to lay out its text.</source>
        <translation>报告需要图形应用程序对象来排版文字。</translation>
    </message>
    <message>
        <source>Commissioning report %1</source>
        <translation>调试报告 %1</translation>
    </message>
    <message>
        <source>The report could not be rendered.</source>
        <translation>无法生成报告。</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>第 %1 页，共 %2 页</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>第 %1 页</translation>
    </message>
    <message>
        <source>on</source>
        <translation>开</translation>
    </message>
    <message>
        <source>off</source>
        <translation>关</translation>
    </message>
    <message>
        <source>Observe</source>
        <translation>观察</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>Lens obscured</source>
        <translation>镜头遮挡</translation>
    </message>
    <message>
        <source>No data</source>
        <translation>无数据</translation>
    </message>
    <message>
        <source>Zone set</source>
        <translation>防区组</translation>
    </message>
    <message>
        <source>System fault</source>
        <translation>系统故障</translation>
    </message>
    <message>
        <source>System normal</source>
        <translation>系统正常</translation>
    </message>
    <message>
        <source>Network connected</source>
        <translation>网络已连接</translation>
    </message>
    <message>
        <source>Zone updating</source>
        <translation>防区更新中</translation>
    </message>
    <message>
        <source>Zero position</source>
        <translation>零位</translation>
    </message>
    <message>
        <source>Reserved</source>
        <translation>保留</translation>
    </message>
    <message>
        <source>Rotation speed</source>
        <translation>转速</translation>
    </message>
    <message>
        <source>rpm</source>
        <translation>转/分</translation>
    </message>
    <message>
        <source>none</source>
        <translation>无</translation>
    </message>
    <message>
        <source>data only</source>
        <translation>仅数据</translation>
    </message>
    <message>
        <source>alarm only</source>
        <translation>仅报警</translation>
    </message>
    <message>
        <source>data and alarm</source>
        <translation>数据和报警</translation>
    </message>
    <message>
        <source>Upload type</source>
        <translation>上传类型</translation>
    </message>
    <message>
        <source>unknown (%1)</source>
        <translation>未知（%1）</translation>
    </message>
    <message>
        <source>Trailing-point removal</source>
        <translation>拖尾点去除</translation>
    </message>
    <message>
        <source>Trailing-point removal factor</source>
        <translation>拖尾点去除系数</translation>
    </message>
    <message>
        <source>Data smoothing</source>
        <translation>数据平滑</translation>
    </message>
    <message>
        <source>Filter rings</source>
        <translation>过滤圈数</translation>
    </message>
    <message>
        <source>Filter points</source>
        <translation>过滤点数</translation>
    </message>
    <message>
        <source>Target segmentation</source>
        <translation>目标分割</translation>
    </message>
    <message>
        <source>Target continuity distance threshold</source>
        <translation>目标连续距离阈值</translation>
    </message>
    <message>
        <source>Rotation direction</source>
        <translation>旋转方向</translation>
    </message>
    <message>
        <source>counter-clockwise</source>
        <translation>逆时针</translation>
    </message>
    <message>
        <source>clockwise</source>
        <translation>顺时针</translation>
    </message>
    <message>
        <source>Active zone</source>
        <translation>当前防区</translation>
    </message>
    <message>
        <source>Zone switching</source>
        <translation>防区切换</translation>
    </message>
    <message>
        <source>software</source>
        <translation>软件</translation>
    </message>
    <message>
        <source>hardware</source>
        <translation>硬件</translation>
    </message>
    <message>
        <source>Fixed upload</source>
        <translation>固定上传</translation>
    </message>
    <message>
        <source>Communication</source>
        <translation>通信</translation>
    </message>
    <message>
        <source>Scanner IP</source>
        <translation>雷达 IP</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>Scanner port</source>
        <translation>雷达端口</translation>
    </message>
    <message>
        <source>Upload IP</source>
        <translation>上传 IP</translation>
    </message>
    <message>
        <source>Upload port</source>
        <translation>上传端口</translation>
    </message>
    <message>
        <source>I/O configuration</source>
        <translation>I/O 配置</translation>
    </message>
    <message>
        <source>Output %1 on by default</source>
        <translation>输出 %1 默认开启</translation>
    </message>
    <message>
        <source>Output type</source>
        <translation>输出类型</translation>
    </message>
    <message>
        <source>Other stored settings</source>
        <translation>其他已存储设置</translation>
    </message>
    <message>
        <source>polygon</source>
        <translation>多边形</translation>
    </message>
    <message>
        <source>rectangle</source>
        <translation>矩形</translation>
    </message>
    <message>
        <source>ellipse</source>
        <translation>椭圆</translation>
    </message>
    <message>
        <source>sector</source>
        <translation>扇形</translation>
    </message>
    <message>
        <source>filter polygon</source>
        <translation>过滤多边形</translation>
    </message>
    <message>
        <source>shape %1</source>
        <translation>图形 %1</translation>
    </message>
    <message>
        <source>observation</source>
        <translation>观察</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>kind %1</source>
        <translation>类型 %1</translation>
    </message>
    <message>
        <source>bottom %1, left %2, top %3, right %4</source>
        <translation>下 %1，左 %2，上 %3，右 %4</translation>
    </message>
    <message>
        <source>centre (%1, %2), width %3, height %4</source>
        <translation>中心 (%1, %2)，宽 %3，高 %4</translation>
    </message>
    <message>
        <source>from %1 to %2, far %3, near %4</source>
        <translation>从 %1 到 %2，远 %3，近 %4</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>序号</translation>
    </message>
    <message>
        <source>Shape</source>
        <translation>图形</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>类型</translation>
    </message>
    <message>
        <source>Geometry (mm)</source>
        <translation>几何尺寸 (mm)</translation>
    </message>
</context>
<context>
    <name>Dialog_Audit</name>
    <message>
        <source>Audit trail</source>
        <translation>审计记录</translation>
    </message>
    <message>
        <source>Since</source>
        <translation>起始日期</translation>
    </message>
    <message>
        <source>Filter: serial number, command, outcome...</source>
        <translation>筛选：序列号、指令、结果...</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>Level</source>
        <translation>权限级别</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>程序</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>型号</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>链接</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>指令</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Image CRC</source>
        <translation>映像 CRC</translation>
    </message>
    <message>
        <source>Read-back</source>
        <translation>回读</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>详情</translation>
    </message>
    <message>
        <source>The audit trail cannot be read: %1</source>
        <translation>无法读取审计记录：%1</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n record(s) shown.</source>
        <translation>
            <numerusform>已显示 %1 条，共 %n 条记录。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n damaged line(s) skipped, the first is line %1.</source>
        <translation>
            <numerusform>已跳过 %n 行损坏的记录，第一行是第 %1 行。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Dialog_Login</name>
    <message>
        <source>Account login</source>
        <translation>账户登录</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>账户</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>Remember password</source>
        <translation>记住密码</translation>
    </message>
    <message>
        <source>Automatic login</source>
        <translation>自动登录</translation>
    </message>
    <message>
        <source>login in</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>login out</source>
        <translation>退出登录</translation>
    </message>
    <message>
        <source>login failed</source>
        <translation>登录失败</translation>
    </message>
    <message>
        <source>Super Administrator right login</source>
        <translation>超级管理员权限登录</translation>
    </message>
    <message>
        <source>Administrator right login</source>
        <translation>管理员权限登录</translation>
    </message>
    <message>
        <source>Account or password mismatch</source>
        <translation>账户或密码不匹配</translation>
    </message>
    <message>
        <source>The login cannot be remembered on this computer.</source>
        <translation>此计算机无法记住登录信息。</translation>
    </message>
</context>
<context>
    <name>Dialog_Playback</name>
    <message>
        <source>Playback control</source>
        <translation>回放控制</translation>
    </message>
    <message>
        <source>当前进度:</source>
        <translation>当前进度:</translation>
    </message>
    <message>
        <source>播放帧率</source>
        <translation>播放帧率</translation>
    </message>
    <message>
        <source>play</source>
        <translation>播放</translation>
    </message>
    <message>
        <source>请选择播放帧率并点击开始按钮</source>
        <translation>请选择播放帧率并点击开始按钮</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Caching is finish!</source>
        <translation>缓存完成！</translation>
    </message>
    <message>
        <source>Current Cache Progress:%%1</source>
        <translation>当前缓存进度:%%1</translation>
    </message>
    <message>
        <source>parse</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Playback is end!</source>
        <translation>回放结束！</translation>
    </message>
</context>
<context>
    <name>Dialog_Reminder</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Error command printing</source>
        <translation>错误指令打印</translation>
    </message>
</context>
<context>
    <name>Dialog_Report</name>
    <message>
        <source>Commissioning report</source>
        <translation>调试报告</translation>
    </message>
    <message>
        <source>The report records the connected scanner&apos;s identity, parameters and protection fields. Who hands it over, and where?</source>
        <translation>报告记录已连接雷达的身份、参数和防护区域。由谁交付，在何处交付？</translation>
    </message>
    <message>
        <source>Engineer</source>
        <translation>工程师</translation>
    </message>
    <message>
        <source>Site</source>
        <translation>现场</translation>
    </message>
</context>
<context>
    <name>Dialog_ResolutionView</name>
    <message>
        <source>Resolution View</source>
        <translation>分辨率视图</translation>
    </message>
    <message>
        <source>name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>最大距离(mm)</source>
        <translation>最大距离(mm)</translation>
    </message>
    <message>
        <source>add</source>
        <translation>添加</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>sure</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>value</source>
        <translation>数值</translation>
    </message>
    <message>
        <source>custom</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>The distance set is not an integer!</source>
        <translation>设置的距离不是整数！</translation>
    </message>
</context>
<context>
    <name>Dialog_WaitSignal</name>
    <message>
        <source>Please wait</source>
        <translation>请稍候</translation>
    </message>
</context>
<context>
    <name>Dialog_WaitSignal2</name>
    <message>
        <source>Progress bar</source>
        <translation>进度条</translation>
    </message>
</context>
<context>
    <name>Dialog_WhatIf</name>
    <message>
        <source>Checking %1 against the zones...</source>
        <translation>正在用防区检查 %1...</translation>
    </message>
    <message>
        <source>The check was cancelled.</source>
        <translation>检查已取消。</translation>
    </message>
    <message>
        <source>The recording %1 cannot be read.</source>
        <translation>无法读取录制文件 %1。</translation>
    </message>
    <message>
        <source>The playback file cannot exceed 50MB!</source>
        <translation>回放文件不能超过50MB！</translation>
    </message>
    <message>
        <source>The zone list cannot be converted: %1</source>
        <translation>防区列表无法转换：%1</translation>
    </message>
    <message>
        <source>no revolutions in %1</source>
        <translation>%1 中没有任何一圈数据</translation>
    </message>
    <message>
        <source>observation</source>
        <translation>观察</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>警戒</translation>
    </message>
    <message>
        <source>alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>never</source>
        <translation>从未</translation>
    </message>
    <message>
        <source>revolution %1</source>
        <translation>第 %1 圈</translation>
    </message>
    <message>
        <source>%1: %2 revolutions checked, %3 revolutions in a row of %4 points or more make an alarm.</source>
        <translation>%1：已检查 %2 圈，连续 %3 圈且每圈 %4 个点及以上即报警。</translation>
    </message>
    <message>
        <source>Zone what-if</source>
        <translation>防区假设检验</translation>
    </message>
    <message>
        <source>Points for a trigger (F):</source>
        <translation>触发点数 (F):</translation>
    </message>
    <message>
        <source>Revolutions in a row for an alarm (C):</source>
        <translation>报警所需连续圈数 (C):</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>运行</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Zone</source>
        <translation>防区</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>类型</translation>
    </message>
    <message>
        <source>Revolutions triggered</source>
        <translation>触发圈数</translation>
    </message>
    <message>
        <source>Alarms</source>
        <translation>报警次数</translation>
    </message>
    <message>
        <source>First trigger</source>
        <translation>首次触发</translation>
    </message>
    <message>
        <source>First alarm</source>
        <translation>首次报警</translation>
    </message>
    <message>
        <source>Points inside</source>
        <translation>区域内点数</translation>
    </message>
</context>
<context>
    <name>FirmwareUpdateProc</name>
    <message>
        <source>Firmware upgrade</source>
        <translation>固件升级</translation>
    </message>
    <message>
        <source>%1 / %2 bytes</source>
        <translation>%1 / %2 字节</translation>
    </message>
    <message>
        <source>lidar did not answer the upgrade request</source>
        <translation>雷达未响应升级请求</translation>
    </message>
    <message>
        <source>lidar did not ack</source>
        <translation>雷达未应答</translation>
    </message>
    <message>
        <source>can not write to:</source>
        <translation>无法写入:</translation>
    </message>
    <message>
        <source>transfer file errror</source>
        <translation>文件传输错误</translation>
    </message>
    <message>
        <source>load  file failed:%1</source>
        <translation>加载文件失败:%1</translation>
    </message>
    <message>
        <source>can not open:</source>
        <translation>无法打开:</translation>
    </message>
    <message>
        <source>Failed to load firmware upgrade file</source>
        <translation>加载固件升级文件失败</translation>
    </message>
    <message>
        <source>Failed to send firmware data</source>
        <translation>发送固件数据失败</translation>
    </message>
    <message>
        <source>select failed</source>
        <translation>select 失败</translation>
    </message>
    <message>
        <source>Failed to receive from the socket</source>
        <translation>从套接字接收数据失败</translation>
    </message>
    <message>
        <source>Send data more than three times without answering</source>
        <translation>数据发送超过三次无应答</translation>
    </message>
    <message>
        <source>lidar refused the firmware data (status %1)</source>
        <translation>雷达拒绝了固件数据（状态 %1）</translation>
    </message>
    <message>
        <source>Failed to open socket</source>
        <translation>打开套接字失败</translation>
    </message>
</context>
<context>
    <name>Graphics_Item_Data</name>
    <message>
        <source>%1°</source>
        <translation>%1°</translation>
    </message>
    <message>
        <source>%1 m</source>
        <translation>%1 m</translation>
    </message>
    <message>
        <source>X:%1</source>
        <translation>X:%1</translation>
    </message>
    <message>
        <source>Y:%1</source>
        <translation>Y:%1</translation>
    </message>
    <message>
        <source>angle:%1</source>
        <translation>角度:%1</translation>
    </message>
</context>
<context>
    <name>HeartBeatProc</name>
    <message>
        <source>Reusing ADDR failed!</source>
        <translation>设置地址复用失败！</translation>
    </message>
    <message>
        <source>bind failed with error %1</source>
        <translation>绑定失败，错误 %1</translation>
    </message>
    <message>
        <source>setsockopt:%1,set multicast error</source>
        <translation>setsockopt:%1，设置组播失败</translation>
    </message>
</context>
<context>
    <name>MainPage</name>
    <message>
        <source>Firmware upgrade success!</source>
        <translation>固件升级成功！</translation>
    </message>
    <message>
        <source>Firmware upgrade failed:%1</source>
        <translation>固件升级失败：%1</translation>
    </message>
    <message>
        <source>MainPage</source>
        <translation>MainPage</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>首页</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>参数信息</translation>
    </message>
    <message>
        <source>Lidar Cloud</source>
        <translation>点云显示</translation>
    </message>
    <message>
        <source>Sector Data</source>
        <translation>扇区数据</translation>
    </message>
    <message>
        <source>Algorithm Box</source>
        <translation>算法盒</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>配置</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Right Management</source>
        <translation>权限管理</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>最大化</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>err</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>System language is not support!</source>
        <translation>不支持当前系统语言！</translation>
    </message>
    <message>
        <source>com open err</source>
        <translation>串口打开失败</translation>
    </message>
    <message>
        <source>Current gateway unreachable!</source>
        <translation>当前网关不可达！</translation>
    </message>
    <message>
        <source>socket bind failed!</source>
        <translation>套接字绑定失败！</translation>
    </message>
    <message>
        <source>The current port %1 is already occupied, reassign the new port as %2</source>
        <translation>当前端口 %1 已被占用，重新分配新端口为 %2</translation>
    </message>
    <message>
        <source>tcp socket connect failed!</source>
        <translation>TCP 套接字连接失败！</translation>
    </message>
    <message>
        <source>lidar connect failed:communication exception!</source>
        <translation>雷达连接失败：通信异常！</translation>
    </message>
    <message>
        <source>read zone failed</source>
        <translation>读取防区失败</translation>
    </message>
    <message>
        <source>write zone failed</source>
        <translation>写入防区失败</translation>
    </message>
    <message>
        <source>Failed to modify baud rate!</source>
        <translation>修改波特率失败！</translation>
    </message>
    <message>
        <source>Import parameters succeeded</source>
        <translation>导入参数成功</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>保存文件</translation>
    </message>
    <message>
        <source>lidar param file (*.lidar)</source>
        <translation>雷达参数文件 (*.lidar)</translation>
    </message>
    <message>
        <source>lidar param is export success!</source>
        <translation>雷达参数导出成功！</translation>
    </message>
    <message>
        <source>lidar param is export failed!</source>
        <translation>雷达参数导出失败！</translation>
    </message>
    <message>
        <source>Insufficient power supply</source>
        <translation>供电不足</translation>
    </message>
    <message>
        <source>The motor is stalled</source>
        <translation>电机堵转</translation>
    </message>
    <message>
        <source>The distance measuring module is too hot</source>
        <translation>测距模块温度过高</translation>
    </message>
    <message>
        <source>Net Error</source>
        <translation>网络错误</translation>
    </message>
    <message>
        <source>The ranging module has no output</source>
        <translation>测距模块无输出</translation>
    </message>
    <message>
        <source>Angle error</source>
        <translation>角度错误</translation>
    </message>
    <message>
        <source>The ranging data error</source>
        <translation>测距数据错误</translation>
    </message>
    <message>
        <source>Observe</source>
        <translation>观察</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>Obscured</source>
        <translation>遮挡</translation>
    </message>
    <message>
        <source>No data</source>
        <translation>无数据</translation>
    </message>
    <message>
        <source>No zone setting</source>
        <translation>未设置防区</translation>
    </message>
    <message>
        <source>System internal error</source>
        <translation>系统内部错误</translation>
    </message>
    <message>
        <source>System run exception</source>
        <translation>系统运行异常</translation>
    </message>
    <message>
        <source>Device updating</source>
        <translation>设备升级中</translation>
    </message>
    <message>
        <source>Zero position output</source>
        <translation>零位输出</translation>
    </message>
    <message>
        <source>mainboard low voltage</source>
        <translation>主板电压过低</translation>
    </message>
    <message>
        <source>mainboard&apos;s voltage too high</source>
        <translation>主板电压过高</translation>
    </message>
    <message>
        <source>Ranging Module low voltage</source>
        <translation>测距模块电压过低</translation>
    </message>
    <message>
        <source>Ranging Module&apos;s voltage too high</source>
        <translation>测距模块电压过高</translation>
    </message>
    <message>
        <source>Ranging Module is Muted</source>
        <translation>测距模块静默</translation>
    </message>
    <message>
        <source>Ranging Module Communication error</source>
        <translation>测距模块通信错误</translation>
    </message>
    <message>
        <source>IR Communication error</source>
        <translation>红外通信错误</translation>
    </message>
    <message>
        <source>Wireless Power Supply Lost</source>
        <translation>无线供电丢失</translation>
    </message>
    <message>
        <source>Wireless Power Supply  overcurrent</source>
        <translation>无线供电过流</translation>
    </message>
    <message>
        <source>encoder exception</source>
        <translation>编码器异常</translation>
    </message>
    <message>
        <source>motor exception</source>
        <translation>电机异常</translation>
    </message>
    <message>
        <source>NO Zone Set</source>
        <translation>未设置防区</translation>
    </message>
    <message>
        <source>Lidar cover</source>
        <translation>雷达遮挡</translation>
    </message>
    <message>
        <source>No revolution is shown yet.</source>
        <translation>尚未显示任何一圈数据。</translation>
    </message>
    <message>
        <source>CSV points (*.csv)</source>
        <translation>CSV 点数据 (*.csv)</translation>
    </message>
    <message>
        <source>PLY point cloud (*.ply)</source>
        <translation>PLY 点云 (*.ply)</translation>
    </message>
    <message>
        <source>Export revolution</source>
        <translation>导出一圈数据</translation>
    </message>
    <message>
        <source>Revolution exported to %1</source>
        <translation>一圈数据已导出到 %1</translation>
    </message>
    <message>
        <source>The audit trail cannot be written: %1</source>
        <translation>无法写入审计记录：%1</translation>
    </message>
    <message>
        <source>No playback file is loaded: open a recording with the playback button first.</source>
        <translation>未加载回放文件：请先用回放按钮打开录制文件。</translation>
    </message>
    <message>
        <source>The working zone list is empty: read, import or draw zones first.</source>
        <translation>当前防区列表为空：请先读取、导入或绘制防区。</translation>
    </message>
    <message>
        <source>Connect a scanner to write its commissioning report.</source>
        <translation>请先连接雷达再生成调试报告。</translation>
    </message>
    <message>
        <source>Commissioning report</source>
        <translation>调试报告</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF 文件 (*.pdf)</translation>
    </message>
    <message>
        <source>Cannot write %1: the folder cannot be written.</source>
        <translation>无法写入 %1：该文件夹不可写。</translation>
    </message>
    <message>
        <source>the scanner was disconnected.</source>
        <translation>雷达已断开连接。</translation>
    </message>
</context>
<context>
    <name>Page_Admin</name>
    <message>
        <source>Admin</source>
        <translation>管理</translation>
    </message>
    <message>
        <source>Command, e.g. LSRPM:600H</source>
        <translation>指令，例如 LSRPM:600H</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>盒子相关</source>
        <translation>盒子相关</translation>
    </message>
    <message>
        <source>可执行文件打包</source>
        <translation>可执行文件打包</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>box firmware file (*.*)</source>
        <translation>算法盒固件文件 (*.*)</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>%1 is open failed!</source>
        <translation>%1 打开失败！</translation>
    </message>
    <message>
        <source>%1 is too large or cannot be read!</source>
        <translation>%1 过大或无法读取！</translation>
    </message>
    <message>
        <source>%1 is empty!</source>
        <translation>%1 为空！</translation>
    </message>
    <message>
        <source>%1 could not be written!</source>
        <translation>%1 无法写入！</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Generate bin OK</source>
        <translation>生成 bin 文件成功</translation>
    </message>
</context>
<context>
    <name>Page_Box</name>
    <message>
        <source>Algorithm Box</source>
        <translation>算法盒</translation>
    </message>
    <message>
        <source>Lidar Status</source>
        <translation>雷达状态</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>网络</translation>
    </message>
    <message>
        <source>IP:</source>
        <translation>IP:</translation>
    </message>
    <message>
        <source>mask:</source>
        <translation>掩码:</translation>
    </message>
    <message>
        <source>gateway:</source>
        <translation>网关:</translation>
    </message>
    <message>
        <source>Get</source>
        <translation>获取</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Lidar Config</source>
        <translation>雷达配置</translation>
    </message>
    <message>
        <source>Lidars</source>
        <translation>雷达</translation>
    </message>
    <message>
        <source>Port A</source>
        <translation>端口 A</translation>
    </message>
    <message>
        <source>Port B</source>
        <translation>端口 B</translation>
    </message>
    <message>
        <source>&gt;&gt;</source>
        <translation>&gt;&gt;</translation>
    </message>
    <message>
        <source>&lt;&lt;</source>
        <translation>&lt;&lt;</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>添加</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Version and Upgrade</source>
        <translation>版本与升级</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>版本:</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>读取</translation>
    </message>
    <message>
        <source>File:</source>
        <translation>文件:</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>选择</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
    <message>
        <source>ip:port</source>
        <translation>ip:端口</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>algorithm box is reboot!</source>
        <translation>算法盒正在重启！</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Another device announces this address too</source>
        <translation>另一台设备也声明了此地址</translation>
    </message>
    <message>
        <source>Please enter a complete IP address, mask and gateway</source>
        <translation>请输入完整的IP地址、掩码和网关</translation>
    </message>
    <message>
        <source>IP is occupied, please reset</source>
        <translation>IP已被占用，请重新设置</translation>
    </message>
    <message>
        <source>please edit!</source>
        <translation>请编辑！</translation>
    </message>
    <message>
        <source>Configuration already exists, please add it again</source>
        <translation>配置已存在，请重新添加</translation>
    </message>
    <message>
        <source>add lidar config failed:format error,row:%1</source>
        <translation>添加雷达配置失败:格式错误,行:%1</translation>
    </message>
    <message>
        <source>add lidar config failed:ip format error,row:%1</source>
        <translation>添加雷达配置失败:IP格式错误,行:%1</translation>
    </message>
    <message>
        <source>add lidar config failed:port range error,row:%1</source>
        <translation>添加雷达配置失败:端口范围错误,行:%1</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>box firmware file (*.bin)</source>
        <translation>算法盒固件文件 (*.bin)</translation>
    </message>
    <message>
        <source>%1 is not exist!</source>
        <translation>%1 不存在！</translation>
    </message>
</context>
<context>
    <name>Page_Config</name>
    <message>
        <source>常规设置</source>
        <translation>常规设置</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>日志默认路径:</source>
        <translation>日志默认路径:</translation>
    </message>
    <message>
        <source>选择目录</source>
        <translation>选择目录</translation>
    </message>
    <message>
        <source>配置参数同步</source>
        <translation>配置参数同步</translation>
    </message>
    <message>
        <source>上传方式</source>
        <translation>上传方式</translation>
    </message>
    <message>
        <source>I/O</source>
        <translation>I/O</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>防区</source>
        <translation>防区</translation>
    </message>
    <message>
        <source>运行参数</source>
        <translation>运行参数</translation>
    </message>
    <message>
        <source>网络设置</source>
        <translation>网络设置</translation>
    </message>
    <message>
        <source>当前雷达导入</source>
        <translation>当前雷达导入</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>固件升级</translation>
    </message>
    <message>
        <source>类型：</source>
        <translation>类型：</translation>
    </message>
    <message>
        <source>串口款</source>
        <translation>串口款</translation>
    </message>
    <message>
        <source>网络款</source>
        <translation>网络款</translation>
    </message>
    <message>
        <source>串口名称：</source>
        <translation>串口名称：</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>波特率：</translation>
    </message>
    <message>
        <source>文件路径：</source>
        <translation>文件路径：</translation>
    </message>
    <message>
        <source>检测可用设备</source>
        <translation>检测可用设备</translation>
    </message>
    <message>
        <source>大概需要8-9S等待时间</source>
        <translation>大概需要8-9S等待时间</translation>
    </message>
    <message>
        <source>升级</source>
        <translation>升级</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The Language configuration must be rebooted to take effect</source>
        <translation>语言配置需重启软件后生效</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>打开目录</translation>
    </message>
    <message>
        <source>please connect lidar first!</source>
        <translation>请先连接雷达！</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>lidar param file (*.lidar)</source>
        <translation>雷达参数文件 (*.lidar)</translation>
    </message>
    <message>
        <source>The file comes from another lidar model (%1); only its zones can be imported.</source>
        <translation>该文件来自另一型号的雷达（%1），只能导入其中的防区。</translation>
    </message>
    <message>
        <source>%1 not sent: destination address invalid</source>
        <translation>%1 未发送：目标地址无效</translation>
    </message>
    <message>
        <source>%1 not sent: network address invalid</source>
        <translation>%1 未发送：网络地址无效</translation>
    </message>
    <message>
        <source>COM Name:</source>
        <translation>串口名称:</translation>
    </message>
    <message>
        <source>Baud Rate:</source>
        <translation>波特率:</translation>
    </message>
    <message>
        <source>IP:</source>
        <translation>IP:</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>端口:</translation>
    </message>
    <message>
        <source>Firmware(*.bin *.lhl)</source>
        <translation>固件(*.bin *.lhl)</translation>
    </message>
    <message>
        <source>Please make sure to use it offline!</source>
        <translation>请确保在离线状态下使用！</translation>
    </message>
    <message>
        <source>Please find and choose a device first!</source>
        <translation>请先检测并选择一个设备！</translation>
    </message>
</context>
<context>
    <name>Page_Dev</name>
    <message>
        <source>Device list</source>
        <translation>设备列表</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>断开</translation>
    </message>
    <message>
        <source>Num </source>
        <translation>序号 </translation>
    </message>
    <message>
        <source>SN</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>链接</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>上传地址</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>型号</translation>
    </message>
    <message>
        <source>Heartbeat</source>
        <translation>心跳</translation>
    </message>
    <message>
        <source>RPM/HZ</source>
        <translation>转速/频率</translation>
    </message>
    <message>
        <source>CPU</source>
        <translation>CPU</translation>
    </message>
    <message>
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>Volt</source>
        <translation>电压</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Box</source>
        <translation>算法盒</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>已连接</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Observation Zone</source>
        <translation>观察区域</translation>
    </message>
    <message>
        <source>Alert Zone</source>
        <translation>警戒区域</translation>
    </message>
    <message>
        <source>Alarm Zone</source>
        <translation>报警区域</translation>
    </message>
    <message>
        <source>Masking!</source>
        <translation>遮挡！</translation>
    </message>
    <message>
        <source>No data</source>
        <translation>无数据</translation>
    </message>
    <message>
        <source>No zone active</source>
        <translation>无激活区域</translation>
    </message>
    <message>
        <source>System error</source>
        <translation>系统错误</translation>
    </message>
    <message>
        <source>NET disconnected</source>
        <translation>网络断开</translation>
    </message>
    <message>
        <source>USB disconnected</source>
        <translation>USB断开</translation>
    </message>
    <message>
        <source>System Upgrade</source>
        <translation>系统升级</translation>
    </message>
    <message>
        <source>Zone not defined</source>
        <translation>区域未定义</translation>
    </message>
    <message>
        <source>Box connect</source>
        <translation>算法盒已连接</translation>
    </message>
    <message>
        <source>please choose one lidar!</source>
        <translation>请选择一个雷达！</translation>
    </message>
    <message>
        <source>Existing device is connected. Do you want to disconnect the existing device to try a new connection?</source>
        <translation>已有设备连接。是否断开已有设备以尝试新的连接？</translation>
    </message>
    <message>
        <source>The existing device is connected. Do you want to disconnect the new device!</source>
        <translation>已有设备连接。是否断开并连接新设备！</translation>
    </message>
    <message>
        <source>The Lidar does not exist!</source>
        <translation>该雷达不存在！</translation>
    </message>
    <message>
        <source>Currently connected to the serial port, refreshing will disconnect the serial port connection. Do you want to continue?</source>
        <translation>当前已连接串口，刷新将断开串口连接。是否继续？</translation>
    </message>
    <message>
        <source>an algorithm box</source>
        <translation>算法盒</translation>
    </message>
    <message>
        <source>This address is claimed by more than one device: %1</source>
        <translation>此地址被多台设备声明：%1</translation>
    </message>
    <message>
        <source>Address conflict: %1 claimed by more than one device</source>
        <translation>地址冲突：%1 被多台设备声明</translation>
    </message>
</context>
<context>
    <name>Page_DrawZone</name>
    <message>
        <source>DrawZone Tool</source>
        <translation>防区绘制工具</translation>
    </message>
    <message>
        <source>Choose Shape</source>
        <translation>选择形状</translation>
    </message>
    <message>
        <source>ellipse</source>
        <translation>椭圆</translation>
    </message>
    <message>
        <source>rect</source>
        <translation>矩形</translation>
    </message>
    <message>
        <source>sector</source>
        <translation>扇形</translation>
    </message>
    <message>
        <source>polygon</source>
        <translation>多边形</translation>
    </message>
    <message>
        <source>1.ellipse</source>
        <translation>1.椭圆</translation>
    </message>
    <message>
        <source>2.rect</source>
        <translation>2.矩形</translation>
    </message>
    <message>
        <source>3.sector</source>
        <translation>3.扇形</translation>
    </message>
    <message>
        <source>4.polygon</source>
        <translation>4.多边形</translation>
    </message>
    <message>
        <source>Parameter settings</source>
        <translation>参数设置</translation>
    </message>
    <message>
        <source>kind</source>
        <translation>类型</translation>
    </message>
    <message>
        <source>1.Observation area</source>
        <translation>1.观察区域</translation>
    </message>
    <message>
        <source>2.Warning area</source>
        <translation>2.警戒区域</translation>
    </message>
    <message>
        <source>3.Alarm area</source>
        <translation>3.报警区域</translation>
    </message>
    <message>
        <source>zone</source>
        <translation>防区</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>2</source>
        <translation>2</translation>
    </message>
    <message>
        <source>3</source>
        <translation>3</translation>
    </message>
    <message>
        <source>4</source>
        <translation>4</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>6</source>
        <translation>6</translation>
    </message>
    <message>
        <source>7</source>
        <translation>7</translation>
    </message>
    <message>
        <source>8</source>
        <translation>8</translation>
    </message>
    <message>
        <source>9</source>
        <translation>9</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>B</source>
        <translation>B</translation>
    </message>
    <message>
        <source>C</source>
        <translation>C</translation>
    </message>
    <message>
        <source>D</source>
        <translation>D</translation>
    </message>
    <message>
        <source>E</source>
        <translation>E</translation>
    </message>
    <message>
        <source>F</source>
        <translation>F</translation>
    </message>
    <message>
        <source>polygon mode</source>
        <translation>多边形模式</translation>
    </message>
    <message>
        <source>filter polygon</source>
        <translation>过滤多边形</translation>
    </message>
    <message>
        <source>Center X</source>
        <translation>中心 X</translation>
    </message>
    <message>
        <source>Center Y</source>
        <translation>中心 Y</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>宽度</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>高度</translation>
    </message>
    <message>
        <source>Coordinate Settings2</source>
        <translation>坐标设置</translation>
    </message>
    <message>
        <source>多边形绘制说明：使用鼠标左键点击表示顶点，鼠标右键表示连成矩形（请保证至少3个点）</source>
        <translation>多边形绘制说明：使用鼠标左键点击表示顶点，鼠标右键表示连成矩形（请保证至少3个点）</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Num</source>
        <translation>序号</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>The number of alarm zones more than the maximum limit!</source>
        <translation>防区数量超过最大限制！</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>左边</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>上边</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>右边</translation>
    </message>
    <message>
        <source>Buttom</source>
        <translation>下边</translation>
    </message>
    <message>
        <source>Start angle</source>
        <translation>起始角度</translation>
    </message>
    <message>
        <source>End angle</source>
        <translation>终止角度</translation>
    </message>
    <message>
        <source>Far distance</source>
        <translation>远距离</translation>
    </message>
    <message>
        <source>Near distance</source>
        <translation>近距离</translation>
    </message>
    <message>
        <source>The sector near distance  cannot be less than 10mm</source>
        <translation>扇形近距离不能小于10mm</translation>
    </message>
    <message>
        <source>!!! %1 %2</source>
        <translation>!!! %1 %2</translation>
    </message>
</context>
<context>
    <name>Page_Info</name>
    <message>
        <source>基本信息</source>
        <translation>基本信息</translation>
    </message>
    <message>
        <source>编号:</source>
        <translation>编号:</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>型号:</source>
        <translation>型号:</translation>
    </message>
    <message>
        <source>序列号:</source>
        <translation>序列号:</translation>
    </message>
    <message>
        <source>运行</source>
        <translation>运行</translation>
    </message>
    <message>
        <source>转速</source>
        <translation>转速</translation>
    </message>
    <message>
        <source>数据上传方式</source>
        <translation>数据上传方式</translation>
    </message>
    <message>
        <source>0.无上传</source>
        <translation>0.无上传</translation>
    </message>
    <message>
        <source>1.仅数据</source>
        <translation>1.仅数据</translation>
    </message>
    <message>
        <source>2.仅报警</source>
        <translation>2.仅报警</translation>
    </message>
    <message>
        <source>3.数据+报警</source>
        <translation>3.数据+报警</translation>
    </message>
    <message>
        <source>去拖点</source>
        <translation>去拖点</translation>
    </message>
    <message>
        <source>波特率设置</source>
        <translation>波特率设置</translation>
    </message>
    <message>
        <source>过滤圈数</source>
        <translation>过滤圈数</translation>
    </message>
    <message>
        <source>过滤点数</source>
        <translation>过滤点数</translation>
    </message>
    <message>
        <source>目标分割</source>
        <translation>目标分割</translation>
    </message>
    <message>
        <source>目标连续性距离阈值</source>
        <translation>目标连续性距离阈值</translation>
    </message>
    <message>
        <source>旋转方向</source>
        <translation>旋转方向</translation>
    </message>
    <message>
        <source>（勾选为逆时针方向，不勾选为顺时针方向）</source>
        <translation>（勾选为逆时针方向，不勾选为顺时针方向）</translation>
    </message>
    <message>
        <source>防区切换方式</source>
        <translation>防区切换方式</translation>
    </message>
    <message>
        <source>硬件切换</source>
        <translation>硬件切换</translation>
    </message>
    <message>
        <source>软件切换</source>
        <translation>软件切换</translation>
    </message>
    <message>
        <source>去拖点系数</source>
        <translation>去拖点系数</translation>
    </message>
    <message>
        <source>数据平滑</source>
        <translation>数据平滑</translation>
    </message>
    <message>
        <source>通讯</source>
        <translation>通讯</translation>
    </message>
    <message>
        <source>雷达IP</source>
        <translation>雷达IP</translation>
    </message>
    <message>
        <source>掩码</source>
        <translation>掩码</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>上传IP</source>
        <translation>上传IP</translation>
    </message>
    <message>
        <source>上传端口</source>
        <translation>上传端口</translation>
    </message>
    <message>
        <source>固定上传</source>
        <translation>固定上传</translation>
    </message>
    <message>
        <source>I/O配置</source>
        <translation>I/O配置</translation>
    </message>
    <message>
        <source>输出1默认开</source>
        <translation>输出1默认开</translation>
    </message>
    <message>
        <source>输出2默认开</source>
        <translation>输出2默认开</translation>
    </message>
    <message>
        <source>输出3默认开</source>
        <translation>输出3默认开</translation>
    </message>
    <message>
        <source>输出4默认开</source>
        <translation>输出4默认开</translation>
    </message>
    <message>
        <source>输出映射</source>
        <translation>输出映射</translation>
    </message>
    <message>
        <source>当前刷新时间：</source>
        <translation>当前刷新时间：</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>观察</source>
        <translation>观察</translation>
    </message>
    <message>
        <source>警戒</source>
        <translation>警戒</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>报警</translation>
    </message>
    <message>
        <source>镜头遮掩</source>
        <translation>镜头遮掩</translation>
    </message>
    <message>
        <source>无数据</source>
        <translation>无数据</translation>
    </message>
    <message>
        <source>防区已设置</source>
        <translation>防区已设置</translation>
    </message>
    <message>
        <source>系统故障</source>
        <translation>系统故障</translation>
    </message>
    <message>
        <source>系统正常</source>
        <translation>系统正常</translation>
    </message>
    <message>
        <source>网络连接正常</source>
        <translation>网络连接正常</translation>
    </message>
    <message>
        <source>防区更新中</source>
        <translation>防区更新中</translation>
    </message>
    <message>
        <source>零位信号</source>
        <translation>零位信号</translation>
    </message>
    <message>
        <source>预留位</source>
        <translation>预留位</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The current Lidar cannot be recognized %1. Please manually select the specified Lidar</source>
        <translation>无法识别当前雷达 %1，请手动选择指定的雷达</translation>
    </message>
    <message>
        <source>输出</source>
        <translation>输出</translation>
    </message>
    <message>
        <source>Unable to find the current model of lidar, please contact the developer!</source>
        <translation>找不到当前雷达的型号，请联系开发人员！</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Setting number parameter error!</source>
        <translation>设置编号参数错误！</translation>
    </message>
    <message>
        <source>set udp address inlegal!</source>
        <translation>设置的UDP地址不合法！</translation>
    </message>
    <message>
        <source>Lidar ip and upload ip must be on the same network segment!</source>
        <translation>雷达IP与上传IP必须在同一网段！</translation>
    </message>
</context>
<context>
    <name>Page_Main</name>
    <message>
        <source>Home</source>
        <translation>首页</translation>
    </message>
    <message>
        <source>Quick functions</source>
        <translation>快捷功能</translation>
    </message>
    <message>
        <source>Connection history (double-click to reconnect)</source>
        <translation>连接历史（双击重新连接）</translation>
    </message>
    <message>
        <source>	The  lidar upper computer software is mainly used as a visualization tool for the company&apos;s  lidar series products.</source>
        <translation>	本雷达上位机软件主要用作本公司雷达系列产品的可视化工具。</translation>
    </message>
    <message>
        <source>save log</source>
        <translation>保存日志</translation>
    </message>
    <message>
        <source>open dev</source>
        <translation>打开设备</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>config.ini file is not correct!</source>
        <translation>config.ini 文件不正确！</translation>
    </message>
    <message>
        <source>Audit trail</source>
        <translation>审计记录</translation>
    </message>
    <message>
        <source>Every change made to a scanner or box by this program and by vantrel-cli</source>
        <translation>本程序和 vantrel-cli 对雷达或算法盒所做的每一次更改</translation>
    </message>
</context>
<context>
    <name>Page_Span</name>
    <message>
        <source>Sector Data</source>
        <translation>扇区数据</translation>
    </message>
    <message>
        <source>角度范围：</source>
        <translation>角度范围：</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>查询</translation>
    </message>
    <message>
        <source>圈定范围</source>
        <translation>圈定范围</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Num</source>
        <translation>Num</translation>
    </message>
    <message>
        <source>DEG</source>
        <translation>DEG</translation>
    </message>
    <message>
        <source>MM</source>
        <translation>MM</translation>
    </message>
    <message>
        <source>ENERGY</source>
        <translation>ENERGY</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Choose range is empty!</source>
        <translation>选择范围为空！</translation>
    </message>
    <message>
        <source>Choose range must lie within 0 to 360!</source>
        <translation>选择范围必须在 0 到 360 之间！</translation>
    </message>
</context>
<context>
    <name>Page_lidar</name>
    <message>
        <source>Lidar Cloud</source>
        <translation>点云显示</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>重启</translation>
    </message>
    <message>
        <source>No device connected</source>
        <translation>未连接设备</translation>
    </message>
    <message>
        <source>Connected (%1)</source>
        <translation>已连接 (%1)</translation>
    </message>
    <message>
        <source>alarm zone:%1</source>
        <translation>激活防区:%1</translation>
    </message>
    <message>
        <source>status:%1</source>
        <translation>状态:%1</translation>
    </message>
    <message>
        <source>sector data</source>
        <translation>扇区数据</translation>
    </message>
    <message>
        <source>开始旋转</source>
        <translation>开始旋转</translation>
    </message>
    <message>
        <source>停止旋转</source>
        <translation>停止旋转</translation>
    </message>
    <message>
        <source>数据回放</source>
        <translation>数据回放</translation>
    </message>
    <message>
        <source>暂停播放</source>
        <translation>暂停播放</translation>
    </message>
    <message>
        <source>目标分辨率</source>
        <translation>目标分辨率</translation>
    </message>
    <message>
        <source>sector data / draw Defense Zone</source>
        <translation>扇区数据 / 绘制防区</translation>
    </message>
    <message>
        <source>选择防区</source>
        <translation>选择防区</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>2</source>
        <translation>2</translation>
    </message>
    <message>
        <source>3</source>
        <translation>3</translation>
    </message>
    <message>
        <source>4</source>
        <translation>4</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>6</source>
        <translation>6</translation>
    </message>
    <message>
        <source>7</source>
        <translation>7</translation>
    </message>
    <message>
        <source>8</source>
        <translation>8</translation>
    </message>
    <message>
        <source>9</source>
        <translation>9</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>B</source>
        <translation>B</translation>
    </message>
    <message>
        <source>C</source>
        <translation>C</translation>
    </message>
    <message>
        <source>D</source>
        <translation>D</translation>
    </message>
    <message>
        <source>E</source>
        <translation>E</translation>
    </message>
    <message>
        <source>F</source>
        <translation>F</translation>
    </message>
    <message>
        <source>切换防区</source>
        <translation>切换防区</translation>
    </message>
    <message>
        <source>激活防区:F</source>
        <translation>激活防区:F</translation>
    </message>
    <message>
        <source>读取防区</source>
        <translation>读取防区</translation>
    </message>
    <message>
        <source>写入防区</source>
        <translation>写入防区</translation>
    </message>
    <message>
        <source>编辑防区</source>
        <translation>编辑防区</translation>
    </message>
    <message>
        <source>复制防区</source>
        <translation>复制防区</translation>
    </message>
    <message>
        <source>编辑防区:F</source>
        <translation>编辑防区:F</translation>
    </message>
    <message>
        <source>清空防区</source>
        <translation>清空防区</translation>
    </message>
    <message>
        <source>离线设置</source>
        <translation>离线设置</translation>
    </message>
    <message>
        <source>导出防区</source>
        <translation>导出防区</translation>
    </message>
    <message>
        <source>导入防区</source>
        <translation>导入防区</translation>
    </message>
    <message>
        <source>旋转方向</source>
        <translation>旋转方向</translation>
    </message>
    <message>
        <source>clockwise</source>
        <translation>顺时针</translation>
    </message>
    <message>
        <source>counterclockwise</source>
        <translation>逆时针</translation>
    </message>
    <message>
        <source>点云连线</source>
        <translation>点云连线</translation>
    </message>
    <message>
        <source>方格背景</source>
        <translation>方格背景</translation>
    </message>
    <message>
        <source>invert</source>
        <translation>反转</translation>
    </message>
    <message>
        <source>点云大小</source>
        <translation>点云大小</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>put down</source>
        <translation>倒装</translation>
    </message>
    <message>
        <source>背景颜色</source>
        <translation>背景颜色</translation>
    </message>
    <message>
        <source>black</source>
        <translation>黑色</translation>
    </message>
    <message>
        <source>white</source>
        <translation>白色</translation>
    </message>
    <message>
        <source>center</source>
        <translation>居中</translation>
    </message>
    <message>
        <source>其他设置</source>
        <translation>其他设置</translation>
    </message>
    <message>
        <source>日志记录</source>
        <translation>日志记录</translation>
    </message>
    <message>
        <source>内部测试</source>
        <translation>内部测试</translation>
    </message>
    <message>
        <source>输入引脚：</source>
        <translation>输入引脚：</translation>
    </message>
    <message>
        <source>引脚编号：</source>
        <translation>引脚编号：</translation>
    </message>
    <message>
        <source>输出信号：</source>
        <translation>输出信号：</translation>
    </message>
    <message>
        <source>out引脚：</source>
        <translation>out引脚：</translation>
    </message>
    <message>
        <source>draw Defense Zone</source>
        <translation>绘制防区</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>data (*.dump *.data *.txt)</source>
        <translation>数据 (*.dump *.data *.txt)</translation>
    </message>
    <message>
        <source>edit zone:%1</source>
        <translation>编辑防区:%1</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>custom</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Zone ID:%1:The number of alarm zones more than the maximum limit!</source>
        <translation>防区ID:%1:防区数量超过最大限制！</translation>
    </message>
    <message>
        <source>The number of alarm zones more than the maximum limit!</source>
        <translation>防区数量超过最大限制！</translation>
    </message>
    <message>
        <source>lidar param file (*.lidar)</source>
        <translation>雷达参数文件 (*.lidar)</translation>
    </message>
    <message>
        <source>Off-line import of defense zones failed!</source>
        <translation>离线导入防区失败！</translation>
    </message>
    <message>
        <source>Maximum distance of graphic drawing cannot exceed 40 meters!</source>
        <translation>图形绘制的最大距离不能超过40米！</translation>
    </message>
    <message>
        <source>Export revolution…</source>
        <translation>导出一圈数据…</translation>
    </message>
    <message>
        <source>Write the revolution on screen, live or played back, as CSV or PLY</source>
        <translation>将屏幕上的一圈数据（实时或回放）写为 CSV 或 PLY 文件</translation>
    </message>
    <message>
        <source>Zone what-if…</source>
        <translation>防区假设检验…</translation>
    </message>
    <message>
        <source>Check the playback file against the working zone list</source>
        <translation>用当前防区列表检查回放文件</translation>
    </message>
    <message>
        <source>Commissioning report…</source>
        <translation>调试报告…</translation>
    </message>
</context>
<context>
    <name>ParamFile</name>
    <message>
        <source>load file error!</source>
        <translation>加载文件错误！</translation>
    </message>
    <message>
        <source>The parameter file is cut short.</source>
        <translation>参数文件不完整。</translation>
    </message>
    <message>
        <source>The parameter file has a section of the wrong length.</source>
        <translation>参数文件中有一节的长度错误。</translation>
    </message>
    <message>
        <source>The file is not a lidar parameter file.</source>
        <translation>该文件不是雷达参数文件。</translation>
    </message>
    <message>
        <source>The parameter block in the file names no valid lidar model.</source>
        <translation>文件中的参数块未指明有效的雷达型号。</translation>
    </message>
</context>
<context>
    <name>PlaybackProc</name>
    <message>
        <source>The playback file cannot exceed 50MB!</source>
        <translation>回放文件不能超过50MB！</translation>
    </message>
    <message>
        <source>The playback file is open failed!</source>
        <translation>回放文件打开失败！</translation>
    </message>
    <message>
        <source>The playback file is empty!</source>
        <translation>回放文件为空！</translation>
    </message>
    <message>
        <source>no revolutions in %1</source>
        <translation>%1 中没有任何一圈数据</translation>
    </message>
</context>
<context>
    <name>Recorder</name>
    <message>
        <source>Cannot open the log file %1: %2</source>
        <translation>无法打开日志文件 %1：%2</translation>
    </message>
</context>
<context>
    <name>RecvDataProc</name>
    <message>
        <source>select error!</source>
        <translation>select 错误！</translation>
    </message>
    <message>
        <source>The serial port %1 is no longer available; disconnected!</source>
        <translation>串口 %1 已不可用，已断开连接！</translation>
    </message>
    <message>
        <source>Serial port data not detected for a long time, automatic disconnection!</source>
        <translation>长时间未检测到串口数据，自动断开连接！</translation>
    </message>
    <message>
        <source>The device closed the connection!</source>
        <translation>设备已关闭连接！</translation>
    </message>
</context>
<context>
    <name>RecvTCPProc</name>
    <message>
        <source>select error!</source>
        <translation>select 错误！</translation>
    </message>
    <message>
        <source>The device closed the connection!</source>
        <translation>设备已关闭连接！</translation>
    </message>
</context>
<context>
    <name>ReportWriter</name>
    <message>
        <source>The scanner did not finish answering in time.</source>
        <translation>雷达未能及时完成应答。</translation>
    </message>
    <message>
        <source>The zones could not be read.</source>
        <translation>无法读取防区。</translation>
    </message>
    <message>
        <source>read back from the scanner</source>
        <translation>从雷达回读</translation>
    </message>
    <message>
        <source>The scanner did not send its parameters.</source>
        <translation>雷达未发送其参数。</translation>
    </message>
    <message>
        <source>The scanner stopped answering while its zones were read.</source>
        <translation>读取防区时雷达停止应答。</translation>
    </message>
    <message>
        <source>The commissioning report was written to %1 (%2 pages).</source>
        <translation>调试报告已写入 %1（共 %2 页）。</translation>
    </message>
    <message>
        <source>No report was written: %1</source>
        <translation>未写入报告：%1</translation>
    </message>
</context>
<context>
    <name>RevolutionExporter</name>
    <message>
        <source>%1 is a folder</source>
        <translation>%1 是一个文件夹</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>%1 exists and is not a folder</source>
        <translation>%1 已存在且不是文件夹</translation>
    </message>
    <message>
        <source>%1 exists and is not empty</source>
        <translation>%1 已存在且不为空</translation>
    </message>
    <message>
        <source>cannot write %1: the folder cannot be moved into place</source>
        <translation>无法写入 %1：文件夹无法移动到目标位置</translation>
    </message>
</context>
<context>
    <name>ZoneAlarm</name>
    <message>
        <source>Zone ID:%1:The number of alarm zones more than the maximum limit!</source>
        <translation>防区ID:%1:防区数量超过最大限制！</translation>
    </message>
    <message>
        <source>The current parameter cannot all zero!</source>
        <translation>当前参数不能全为零！</translation>
    </message>
    <message>
        <source>The current parameter cannot form a sector!</source>
        <translation>当前参数无法构成扇形！</translation>
    </message>
    <message>
        <source>The sector near distance  cannot be less than 10mm</source>
        <translation>扇形近距离不能小于10mm</translation>
    </message>
    <message>
        <source>The drawing distance of the alarm zone exceeds %1 mm, zone id %2</source>
        <translation>防区绘制距离超过 %1 mm，防区ID %2</translation>
    </message>
    <message>
        <source>The current parameter cannot form a rectangle!</source>
        <translation>当前参数无法构成矩形！</translation>
    </message>
    <message>
        <source>read alarm zone</source>
        <translation>读取防区</translation>
    </message>
    <message>
        <source>write alarm zone</source>
        <translation>写入防区</translation>
    </message>
    <message>
        <source>query</source>
        <translation>查询</translation>
    </message>
    <message>
        <source>reply too short:%1</source>
        <translation>应答过短:%1</translation>
    </message>
    <message>
        <source>The alarm zone is not initialized or there is an error writing. Please clear the alarm zone and read again</source>
        <translation>防区未初始化或写入出错，请清空防区后重新读取</translation>
    </message>
    <message>
        <source>size %1 != %2</source>
        <translation>大小 %1 != %2</translation>
    </message>
    <message>
        <source>error:%1 + %2 &gt; %3</source>
        <translation>错误:%1 + %2 &gt; %3</translation>
    </message>
    <message>
        <source>sub packet len %1 !=512</source>
        <translation>子包长度 %1 !=512</translation>
    </message>
    <message>
        <source>offset:%1 total:%2</source>
        <translation>偏移:%1 总计:%2</translation>
    </message>
    <message>
        <source>sub packet hole %1</source>
        <translation>子包缺失 %1</translation>
    </message>
    <message>
        <source>crc error:PC:%1 :MCU:%2</source>
        <translation>CRC错误:PC:%1 :MCU:%2</translation>
    </message>
    <message>
        <source>bad zone header</source>
        <translation>防区头错误</translation>
    </message>
    <message>
        <source>crc error</source>
        <translation>CRC错误</translation>
    </message>
    <message>
        <source>init</source>
        <translation>初始化</translation>
    </message>
    <message>
        <source>ZoneDef already</source>
        <translation>防区定义已就绪</translation>
    </message>
    <message>
        <source>resp result:%1 msg:%2</source>
        <translation>应答结果:%1 消息:%2</translation>
    </message>
    <message>
        <source>unexpected reply offset:%1</source>
        <translation>意外的应答偏移:%1</translation>
    </message>
    <message>
        <source>OP_ZONE_ERASE</source>
        <translation>OP_ZONE_ERASE</translation>
    </message>
    <message>
        <source>success</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>OP_ZONE_RELOAD</source>
        <translation>OP_ZONE_RELOAD</translation>
    </message>
    <message>
        <source>zone list count %1 outside 0..64</source>
        <translation>防区列表数量 %1 超出 0..64</translation>
    </message>
    <message>
        <source>zone entry %1 has an unknown shape, kind or point count</source>
        <translation>防区条目 %1 的形状、类型或点数未知</translation>
    </message>
</context>
<context>
    <name>ZoneWriteCheck</name>
    <message>
        <source>Zones written and verified (CRC %1)</source>
        <translation>防区已写入并校验 (CRC %1)</translation>
    </message>
    <message>
        <source>Zone %1 read back differs from what was written</source>
        <translation>防区 %1 的回读内容与写入内容不一致</translation>
    </message>
    <message>
        <source>Zones written, but reading them back for the check failed</source>
        <translation>防区已写入，但回读校验失败</translation>
    </message>
</context>
</TS>
