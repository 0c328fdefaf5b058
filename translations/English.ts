<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Dialog_Reminder</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Error command printing</source>
        <translation>Error command printing</translation>
    </message>
</context>
<context>
    <name>Dialog_WaitSignal</name>
    <message>
        <source>Please wait</source>
        <translation>Please wait</translation>
    </message>
</context>
<context>
    <name>Dialog_WaitSignal2</name>
    <message>
        <source>Progress bar</source>
        <translation>Progress bar</translation>
    </message>
</context>
<context>
    <name>Page_Span</name>
    <message>
        <source>Sector Data</source>
        <translation>Sector Data</translation>
    </message>
    <message>
        <source>角度范围：</source>
        <translation>Angle range:</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>圈定范围</source>
        <translation>Mark range</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
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
        <translation>error</translation>
    </message>
    <message>
        <source>Choose range is empty!</source>
        <translation>Choose range is empty!</translation>
    </message>
</context>
</TS>
