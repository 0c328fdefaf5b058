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
</context>
</TS>
