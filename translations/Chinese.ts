<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
        <source>mainboard's voltage too high</source>
        <translation>主板电压过高</translation>
    </message>
    <message>
        <source>Ranging Module low voltage</source>
        <translation>测距模块电压过低</translation>
    </message>
    <message>
        <source>Ranging Module's voltage too high</source>
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
</context>
<context>
    <name>Page_lidar</name>
    <message>
        <source>Lidar Cloud</source>
        <translation>点云显示</translation>
    </message>
    <message>
        <source>Start Rotation</source>
        <translation>开始旋转</translation>
    </message>
    <message>
        <source>Stop Rotation</source>
        <translation>停止旋转</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>重启</translation>
    </message>
    <message>
        <source>Log Recording</source>
        <translation>日志记录</translation>
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
</context>
</TS>
