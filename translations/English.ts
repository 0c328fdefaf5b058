<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AlgorithmBoxProc</name>
    <message>
        <source>open BOXPORT failed!</source>
        <translation>open BOXPORT failed!</translation>
    </message>
    <message>
        <source>firmware upgrade OK!</source>
        <translation>firmware upgrade OK!</translation>
    </message>
    <message>
        <source>firmware upgrade NG!</source>
        <translation>firmware upgrade NG!</translation>
    </message>
</context>
<context>
    <name>BGraphicsItem</name>
    <message>
        <source>refresh</source>
        <translation>refresh</translation>
    </message>
    <message>
        <source>filter</source>
        <translation>filter</translation>
    </message>
    <message>
        <source>add</source>
        <translation>add</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>delete</translation>
    </message>
</context>
<context>
    <name>BPolygon</name>
    <message>
        <source>error</source>
        <translation>error</translation>
    </message>
    <message>
        <source>Polygon vertices cannot more than 20,please redraw!</source>
        <translation>Polygon vertices cannot more than 20,please redraw!</translation>
    </message>
</context>
<context>
    <name>CommissioningReport</name>
    <message>
        <source>Commissioning report</source>
        <translation>Commissioning report</translation>
    </message>
    <message>
        <source>A record of the settings and protection fields of one scanner at its hand-over.</source>
        <translation>A record of the settings and protection fields of one scanner at its hand-over.</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Device number</source>
        <translation>Device number</translation>
    </message>
    <message>
        <source>Serial baud rate</source>
        <translation>Serial baud rate</translation>
    </message>
    <message>
        <source>baud</source>
        <translation>baud</translation>
    </message>
    <message>
        <source>Scanner address</source>
        <translation>Scanner address</translation>
    </message>
    <message>
        <source>Subnet mask / gateway</source>
        <translation>Subnet mask / gateway</translation>
    </message>
    <message>
        <source>Scan data sent to</source>
        <translation>Scan data sent to</translation>
    </message>
    <message>
        <source>Link used</source>
        <translation>Link used</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>Program version</source>
        <translation>Program version</translation>
    </message>
    <message>
        <source>Engineer</source>
        <translation>Engineer</translation>
    </message>
    <message>
        <source>Site</source>
        <translation>Site</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>Protection fields: not read.</source>
        <translation>Protection fields: not read.</translation>
    </message>
    <message>
        <source>Protection fields: none stored.</source>
        <translation>Protection fields: none stored.</translation>
    </message>
    <message>
        <source>Protection fields: %1 shapes in zone(s) %2.</source>
        <translation>Protection fields: %1 shapes in zone(s) %2.</translation>
    </message>
    <message>
        <source>matches the image last written</source>
        <translation>matches the image last written</translation>
    </message>
    <message>
        <source>DOES NOT match the image last written</source>
        <translation>DOES NOT match the image last written</translation>
    </message>
    <message>
        <source>no written image to compare with</source>
        <translation>no written image to compare with</translation>
    </message>
    <message>
        <source>Zone image CRC %1: %2.</source>
        <translation>Zone image CRC %1: %2.</translation>
    </message>
    <message>
        <source>Parameters</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>The parameter block is not available.</source>
        <translation>The parameter block is not available.</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Output mapping</source>
        <translation>Output mapping</translation>
    </message>
    <message>
        <source>A mark: the status drives the output.</source>
        <translation>A mark: the status drives the output.</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Output 1</source>
        <translation>Output 1</translation>
    </message>
    <message>
        <source>Output 2</source>
        <translation>Output 2</translation>
    </message>
    <message>
        <source>Output 3</source>
        <translation>Output 3</translation>
    </message>
    <message>
        <source>Output 4</source>
        <translation>Output 4</translation>
    </message>
    <message>
        <source>Protection field: zone %1</source>
        <translation>Protection field: zone %1</translation>
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
        <translation>Grid %1, scale 1:%2. Blue: observation, yellow: warning, red: alarm, dashed: filter polygon (cut out).</translation>
    </message>
    <message>
        <source>Grey points: the last revolution received.</source>
        <translation>Grey points: the last revolution received.</translation>
    </message>
    <message>
        <source>No revolution was available.</source>
        <translation>No revolution was available.</translation>
    </message>
    <message>
        <source>Verification</source>
        <translation>Verification</translation>
    </message>
    <message>
        <source>Zones taken from</source>
        <translation>Zones taken from</translation>
    </message>
    <message>
        <source>not read</source>
        <translation>not read</translation>
    </message>
    <message>
        <source>Zone image CRC</source>
        <translation>Zone image CRC</translation>
    </message>
    <message>
        <source>not available</source>
        <translation>not available</translation>
    </message>
    <message>
        <source>Image content</source>
        <translation>Image content</translation>
    </message>
    <message>
        <source>intact: the content gives the CRC of its header</source>
        <translation>intact: the content gives the CRC of its header</translation>
    </message>
    <message>
        <source>DAMAGED: the content does not give the CRC of its header</source>
        <translation>DAMAGED: the content does not give the CRC of its header</translation>
    </message>
    <message>
        <source>Last image written</source>
        <translation>Last image written</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 at %2</translation>
    </message>
    <message>
        <source>no zone write recorded</source>
        <translation>no zone write recorded</translation>
    </message>
    <message>
        <source>Matches what was written</source>
        <translation>Matches what was written</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>NO: the scanner holds another image</source>
        <translation>NO: the scanner holds another image</translation>
    </message>
    <message>
        <source>not checked</source>
        <translation>not checked</translation>
    </message>
    <message>
        <source>Changes recorded today</source>
        <translation>Changes recorded today</translation>
    </message>
    <message>
        <source>No change to this scanner is recorded for today.</source>
        <translation>No change to this scanner is recorded for today.</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Program (level)</source>
        <translation>Program (level)</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>Hand-over</source>
        <translation>Hand-over</translation>
    </message>
    <message>
        <source>Handed over by</source>
        <translation>Handed over by</translation>
    </message>
    <message>
        <source>Signature and date</source>
        <translation>Signature and date</translation>
    </message>
    <message>
        <source>Accepted by</source>
        <translation>Accepted by</translation>
    </message>
    <message>
        <source>SN %1</source>
        <translation>SN %1</translation>
    </message>
    <message>
        <source>The report needs the graphical application object to lay out its text.</source>
        <translation>The report needs the graphical application object to lay out its text.</translation>
    </message>
    <message>
        <source>Commissioning report %1</source>
        <translation>Commissioning report %1</translation>
    </message>
    <message>
        <source>The report could not be rendered.</source>
        <translation>The report could not be rendered.</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>Page %1</translation>
    </message>
    <message>
        <source>on</source>
        <translation>on</translation>
    </message>
    <message>
        <source>off</source>
        <translation>off</translation>
    </message>
    <message>
        <source>Observe</source>
        <translation>Observe</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>Lens obscured</source>
        <translation>Lens obscured</translation>
    </message>
    <message>
        <source>No data</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>Zone set</source>
        <translation>Zone set</translation>
    </message>
    <message>
        <source>System fault</source>
        <translation>System fault</translation>
    </message>
    <message>
        <source>System normal</source>
        <translation>System normal</translation>
    </message>
    <message>
        <source>Network connected</source>
        <translation>Network connected</translation>
    </message>
    <message>
        <source>Zone updating</source>
        <translation>Zone updating</translation>
    </message>
    <message>
        <source>Zero position</source>
        <translation>Zero position</translation>
    </message>
    <message>
        <source>Reserved</source>
        <translation>Reserved</translation>
    </message>
    <message>
        <source>Rotation speed</source>
        <translation>Rotation speed</translation>
    </message>
    <message>
        <source>rpm</source>
        <translation>rpm</translation>
    </message>
    <message>
        <source>none</source>
        <translation>none</translation>
    </message>
    <message>
        <source>data only</source>
        <translation>data only</translation>
    </message>
    <message>
        <source>alarm only</source>
        <translation>alarm only</translation>
    </message>
    <message>
        <source>data and alarm</source>
        <translation>data and alarm</translation>
    </message>
    <message>
        <source>Upload type</source>
        <translation>Upload type</translation>
    </message>
    <message>
        <source>unknown (%1)</source>
        <translation>unknown (%1)</translation>
    </message>
    <message>
        <source>Trailing-point removal</source>
        <translation>Trailing-point removal</translation>
    </message>
    <message>
        <source>Trailing-point removal factor</source>
        <translation>Trailing-point removal factor</translation>
    </message>
    <message>
        <source>Data smoothing</source>
        <translation>Data smoothing</translation>
    </message>
    <message>
        <source>Filter rings</source>
        <translation>Filter rings</translation>
    </message>
    <message>
        <source>Filter points</source>
        <translation>Filter points</translation>
    </message>
    <message>
        <source>Target segmentation</source>
        <translation>Target segmentation</translation>
    </message>
    <message>
        <source>Target continuity distance threshold</source>
        <translation>Target continuity distance threshold</translation>
    </message>
    <message>
        <source>Rotation direction</source>
        <translation>Rotation direction</translation>
    </message>
    <message>
        <source>counter-clockwise</source>
        <translation>counter-clockwise</translation>
    </message>
    <message>
        <source>clockwise</source>
        <translation>clockwise</translation>
    </message>
    <message>
        <source>Active zone</source>
        <translation>Active zone</translation>
    </message>
    <message>
        <source>Zone switching</source>
        <translation>Zone switching</translation>
    </message>
    <message>
        <source>software</source>
        <translation>software</translation>
    </message>
    <message>
        <source>hardware</source>
        <translation>hardware</translation>
    </message>
    <message>
        <source>Fixed upload</source>
        <translation>Fixed upload</translation>
    </message>
    <message>
        <source>Communication</source>
        <translation>Communication</translation>
    </message>
    <message>
        <source>Scanner IP</source>
        <translation>Scanner IP</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>Scanner port</source>
        <translation>Scanner port</translation>
    </message>
    <message>
        <source>Upload IP</source>
        <translation>Upload IP</translation>
    </message>
    <message>
        <source>Upload port</source>
        <translation>Upload port</translation>
    </message>
    <message>
        <source>I/O configuration</source>
        <translation>I/O configuration</translation>
    </message>
    <message>
        <source>Output %1 on by default</source>
        <translation>Output %1 on by default</translation>
    </message>
    <message>
        <source>Output type</source>
        <translation>Output type</translation>
    </message>
    <message>
        <source>Other stored settings</source>
        <translation>Other stored settings</translation>
    </message>
    <message>
        <source>polygon</source>
        <translation>polygon</translation>
    </message>
    <message>
        <source>rectangle</source>
        <translation>rectangle</translation>
    </message>
    <message>
        <source>ellipse</source>
        <translation>ellipse</translation>
    </message>
    <message>
        <source>sector</source>
        <translation>sector</translation>
    </message>
    <message>
        <source>filter polygon</source>
        <translation>filter polygon</translation>
    </message>
    <message>
        <source>shape %1</source>
        <translation>shape %1</translation>
    </message>
    <message>
        <source>observation</source>
        <translation>observation</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>warning</translation>
    </message>
    <message>
        <source>alarm</source>
        <translation>alarm</translation>
    </message>
    <message>
        <source>kind %1</source>
        <translation>kind %1</translation>
    </message>
    <message>
        <source>bottom %1, left %2, top %3, right %4</source>
        <translation>bottom %1, left %2, top %3, right %4</translation>
    </message>
    <message>
        <source>centre (%1, %2), width %3, height %4</source>
        <translation>centre (%1, %2), width %3, height %4</translation>
    </message>
    <message>
        <source>from %1 to %2, far %3, near %4</source>
        <translation>from %1 to %2, far %3, near %4</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Shape</source>
        <translation>Shape</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Geometry (mm)</source>
        <translation>Geometry (mm)</translation>
    </message>
</context>
<context>
    <name>Dialog_Audit</name>
    <message>
        <source>Audit trail</source>
        <translation>Audit trail</translation>
    </message>
    <message>
        <source>Since</source>
        <translation>Since</translation>
    </message>
    <message>
        <source>Filter: serial number, command, outcome...</source>
        <translation>Filter: serial number, command, outcome...</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Level</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>Image CRC</source>
        <translation>Image CRC</translation>
    </message>
    <message>
        <source>Read-back</source>
        <translation>Read-back</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>The audit trail cannot be read: %1</source>
        <translation>The audit trail cannot be read: %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n record(s) shown.</source>
        <translation>
            <numerusform>%1 of %n record shown.</numerusform>
            <numerusform>%1 of %n records shown.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n damaged line(s) skipped, the first is line %1.</source>
        <translation>
            <numerusform>%n damaged line skipped, the first is line %1.</numerusform>
            <numerusform>%n damaged lines skipped, the first is line %1.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Dialog_Login</name>
    <message>
        <source>Account login</source>
        <translation>Account login</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Account</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Remember password</source>
        <translation>Remember password</translation>
    </message>
    <message>
        <source>Automatic login</source>
        <translation>Automatic login</translation>
    </message>
    <message>
        <source>login in</source>
        <translation>login in</translation>
    </message>
    <message>
        <source>login out</source>
        <translation>login out</translation>
    </message>
    <message>
        <source>login failed</source>
        <translation>login failed</translation>
    </message>
    <message>
        <source>Super Administrator right login</source>
        <translation>Super Administrator right login</translation>
    </message>
    <message>
        <source>Administrator right login</source>
        <translation>Administrator right login</translation>
    </message>
    <message>
        <source>Account or password mismatch</source>
        <translation>Account or password mismatch</translation>
    </message>
    <message>
        <source>The login cannot be remembered on this computer.</source>
        <translation>The login cannot be remembered on this computer.</translation>
    </message>
</context>
<context>
    <name>Dialog_Playback</name>
    <message>
        <source>Playback control</source>
        <translation>Playback control</translation>
    </message>
    <message>
        <source>当前进度:</source>
        <translation>Current progress:</translation>
    </message>
    <message>
        <source>播放帧率</source>
        <translation>Playback frame rate</translation>
    </message>
    <message>
        <source>play</source>
        <translation>play</translation>
    </message>
    <message>
        <source>请选择播放帧率并点击开始按钮</source>
        <translation>Choose the frame rate and press start</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Caching is finish!</source>
        <translation>Caching is finish!</translation>
    </message>
    <message>
        <source>Current Cache Progress:%%1</source>
        <translation>Current Cache Progress:%%1</translation>
    </message>
    <message>
        <source>parse</source>
        <translation>parse</translation>
    </message>
    <message>
        <source>Playback is end!</source>
        <translation>Playback is end!</translation>
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
        <translation>Error command printing</translation>
    </message>
</context>
<context>
    <name>Dialog_Report</name>
    <message>
        <source>Commissioning report</source>
        <translation>Commissioning report</translation>
    </message>
    <message>
        <source>The report records the connected scanner&apos;s identity, parameters and protection fields. Who hands it over, and where?</source>
        <translation>The report records the connected scanner&apos;s identity, parameters and protection fields. Who hands it over, and where?</translation>
    </message>
    <message>
        <source>Engineer</source>
        <translation>Engineer</translation>
    </message>
    <message>
        <source>Site</source>
        <translation>Site</translation>
    </message>
</context>
<context>
    <name>Dialog_ResolutionView</name>
    <message>
        <source>Resolution View</source>
        <translation>Resolution View</translation>
    </message>
    <message>
        <source>name</source>
        <translation>name</translation>
    </message>
    <message>
        <source>最大距离(mm)</source>
        <translation>Maximum distance(mm)</translation>
    </message>
    <message>
        <source>add</source>
        <translation>add</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>delete</translation>
    </message>
    <message>
        <source>sure</source>
        <translation>sure</translation>
    </message>
    <message>
        <source>value</source>
        <translation>value</translation>
    </message>
    <message>
        <source>custom</source>
        <translation>custom</translation>
    </message>
    <message>
        <source>reset</source>
        <translation>reset</translation>
    </message>
    <message>
        <source>error</source>
        <translation>error</translation>
    </message>
    <message>
        <source>The distance set is not an integer!</source>
        <translation>The distance set is not an integer!</translation>
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
    <name>Dialog_WhatIf</name>
    <message>
        <source>Checking %1 against the zones...</source>
        <translation>Checking %1 against the zones...</translation>
    </message>
    <message>
        <source>The check was cancelled.</source>
        <translation>The check was cancelled.</translation>
    </message>
    <message>
        <source>The recording %1 cannot be read.</source>
        <translation>The recording %1 cannot be read.</translation>
    </message>
    <message>
        <source>The playback file cannot exceed 50MB!</source>
        <translation>The playback file cannot exceed 50MB!</translation>
    </message>
    <message>
        <source>The zone list cannot be converted: %1</source>
        <translation>The zone list cannot be converted: %1</translation>
    </message>
    <message>
        <source>no revolutions in %1</source>
        <translation>no revolutions in %1</translation>
    </message>
    <message>
        <source>observation</source>
        <translation>observation</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>warning</translation>
    </message>
    <message>
        <source>alarm</source>
        <translation>alarm</translation>
    </message>
    <message>
        <source>never</source>
        <translation>never</translation>
    </message>
    <message>
        <source>revolution %1</source>
        <translation>revolution %1</translation>
    </message>
    <message>
        <source>%1: %2 revolutions checked, %3 revolutions in a row of %4 points or more make an alarm.</source>
        <translation>%1: %2 revolutions checked, %3 revolutions in a row of %4 points or more make an alarm.</translation>
    </message>
    <message>
        <source>Zone what-if</source>
        <translation>Zone what-if</translation>
    </message>
    <message>
        <source>Points for a trigger (F):</source>
        <translation>Points for a trigger (F):</translation>
    </message>
    <message>
        <source>Revolutions in a row for an alarm (C):</source>
        <translation>Revolutions in a row for an alarm (C):</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Zone</source>
        <translation>Zone</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Revolutions triggered</source>
        <translation>Revolutions triggered</translation>
    </message>
    <message>
        <source>Alarms</source>
        <translation>Alarms</translation>
    </message>
    <message>
        <source>First trigger</source>
        <translation>First trigger</translation>
    </message>
    <message>
        <source>First alarm</source>
        <translation>First alarm</translation>
    </message>
    <message>
        <source>Points inside</source>
        <translation>Points inside</translation>
    </message>
</context>
<context>
    <name>FirmwareUpdateProc</name>
    <message>
        <source>Firmware upgrade</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <source>%1 / %2 bytes</source>
        <translation>%1 / %2 bytes</translation>
    </message>
    <message>
        <source>lidar did not answer the upgrade request</source>
        <translation>lidar did not answer the upgrade request</translation>
    </message>
    <message>
        <source>lidar did not ack</source>
        <translation>lidar did not ack</translation>
    </message>
    <message>
        <source>can not write to:</source>
        <translation>can not write to:</translation>
    </message>
    <message>
        <source>transfer file errror</source>
        <translation>transfer file errror</translation>
    </message>
    <message>
        <source>load  file failed:%1</source>
        <translation>load  file failed:%1</translation>
    </message>
    <message>
        <source>can not open:</source>
        <translation>can not open:</translation>
    </message>
    <message>
        <source>Failed to load firmware upgrade file</source>
        <translation>Failed to load firmware upgrade file</translation>
    </message>
    <message>
        <source>Failed to send firmware data</source>
        <translation>Failed to send firmware data</translation>
    </message>
    <message>
        <source>select failed</source>
        <translation>select failed</translation>
    </message>
    <message>
        <source>Failed to receive from the socket</source>
        <translation>Failed to receive from the socket</translation>
    </message>
    <message>
        <source>Send data more than three times without answering</source>
        <translation>Send data more than three times without answering</translation>
    </message>
    <message>
        <source>lidar refused the firmware data (status %1)</source>
        <translation>lidar refused the firmware data (status %1)</translation>
    </message>
    <message>
        <source>Failed to open socket</source>
        <translation>Failed to open socket</translation>
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
        <translation>angle:%1</translation>
    </message>
</context>
<context>
    <name>HeartBeatProc</name>
    <message>
        <source>Reusing ADDR failed!</source>
        <translation>Reusing ADDR failed!</translation>
    </message>
    <message>
        <source>bind failed with error %1</source>
        <translation>bind failed with error %1</translation>
    </message>
    <message>
        <source>setsockopt:%1,set multicast error</source>
        <translation>setsockopt:%1,set multicast error</translation>
    </message>
</context>
<context>
    <name>MainPage</name>
    <message>
        <source>Firmware upgrade success!</source>
        <translation>Firmware upgrade success!</translation>
    </message>
    <message>
        <source>Firmware upgrade failed:%1</source>
        <translation>Firmware upgrade failed:%1</translation>
    </message>
    <message>
        <source>MainPage</source>
        <translation>MainPage</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Lidar Cloud</source>
        <translation>Lidar Cloud</translation>
    </message>
    <message>
        <source>Sector Data</source>
        <translation>Sector Data</translation>
    </message>
    <message>
        <source>Algorithm Box</source>
        <translation>Algorithm Box</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>Config</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Right Management</source>
        <translation>Right Management</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>warm</translation>
    </message>
    <message>
        <source>error</source>
        <translation>error</translation>
    </message>
    <message>
        <source>err</source>
        <translation>err</translation>
    </message>
    <message>
        <source>System language is not support!</source>
        <translation>System language is not support!</translation>
    </message>
    <message>
        <source>com open err</source>
        <translation>com open err</translation>
    </message>
    <message>
        <source>Current gateway unreachable!</source>
        <translation>Current gateway unreachable!</translation>
    </message>
    <message>
        <source>socket bind failed!</source>
        <translation>socket bind failed!</translation>
    </message>
    <message>
        <source>The current port %1 is already occupied, reassign the new port as %2</source>
        <translation>The current port %1 is already occupied, reassign the new port as %2</translation>
    </message>
    <message>
        <source>tcp socket connect failed!</source>
        <translation>tcp socket connect failed!</translation>
    </message>
    <message>
        <source>lidar connect failed:communication exception!</source>
        <translation>lidar connect failed:communication exception!</translation>
    </message>
    <message>
        <source>read zone failed</source>
        <translation>read zone failed</translation>
    </message>
    <message>
        <source>write zone failed</source>
        <translation>write zone failed</translation>
    </message>
    <message>
        <source>Failed to modify baud rate!</source>
        <translation>Failed to modify baud rate!</translation>
    </message>
    <message>
        <source>Import parameters succeeded</source>
        <translation>Import parameters succeeded</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>lidar param file (*.lidar)</source>
        <translation>lidar param file (*.lidar)</translation>
    </message>
    <message>
        <source>lidar param is export success!</source>
        <translation>lidar param is export success!</translation>
    </message>
    <message>
        <source>lidar param is export failed!</source>
        <translation>lidar param is export failed!</translation>
    </message>
    <message>
        <source>Insufficient power supply</source>
        <translation>Insufficient power supply</translation>
    </message>
    <message>
        <source>The motor is stalled</source>
        <translation>The motor is stalled</translation>
    </message>
    <message>
        <source>The distance measuring module is too hot</source>
        <translation>The distance measuring module is too hot</translation>
    </message>
    <message>
        <source>Net Error</source>
        <translation>Net Error</translation>
    </message>
    <message>
        <source>The ranging module has no output</source>
        <translation>The ranging module has no output</translation>
    </message>
    <message>
        <source>Angle error</source>
        <translation>Angle error</translation>
    </message>
    <message>
        <source>The ranging data error</source>
        <translation>The ranging data error</translation>
    </message>
    <message>
        <source>Observe</source>
        <translation>Observe</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>Obscured</source>
        <translation>Obscured</translation>
    </message>
    <message>
        <source>No data</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>No zone setting</source>
        <translation>No zone setting</translation>
    </message>
    <message>
        <source>System internal error</source>
        <translation>System internal error</translation>
    </message>
    <message>
        <source>System run exception</source>
        <translation>System run exception</translation>
    </message>
    <message>
        <source>Device updating</source>
        <translation>Device updating</translation>
    </message>
    <message>
        <source>Zero position output</source>
        <translation>Zero position output</translation>
    </message>
    <message>
        <source>mainboard low voltage</source>
        <translation>mainboard low voltage</translation>
    </message>
    <message>
        <source>mainboard&apos;s voltage too high</source>
        <translation>mainboard&apos;s voltage too high</translation>
    </message>
    <message>
        <source>Ranging Module low voltage</source>
        <translation>Ranging Module low voltage</translation>
    </message>
    <message>
        <source>Ranging Module&apos;s voltage too high</source>
        <translation>Ranging Module&apos;s voltage too high</translation>
    </message>
    <message>
        <source>Ranging Module is Muted</source>
        <translation>Ranging Module is Muted</translation>
    </message>
    <message>
        <source>Ranging Module Communication error</source>
        <translation>Ranging Module Communication error</translation>
    </message>
    <message>
        <source>IR Communication error</source>
        <translation>IR Communication error</translation>
    </message>
    <message>
        <source>Wireless Power Supply Lost</source>
        <translation>Wireless Power Supply Lost</translation>
    </message>
    <message>
        <source>Wireless Power Supply  overcurrent</source>
        <translation>Wireless Power Supply  overcurrent</translation>
    </message>
    <message>
        <source>encoder exception</source>
        <translation>encoder exception</translation>
    </message>
    <message>
        <source>motor exception</source>
        <translation>motor exception</translation>
    </message>
    <message>
        <source>NO Zone Set</source>
        <translation>NO Zone Set</translation>
    </message>
    <message>
        <source>Lidar cover</source>
        <translation>Lidar cover</translation>
    </message>
    <message>
        <source>No revolution is shown yet.</source>
        <translation>No revolution is shown yet.</translation>
    </message>
    <message>
        <source>CSV points (*.csv)</source>
        <translation>CSV points (*.csv)</translation>
    </message>
    <message>
        <source>PLY point cloud (*.ply)</source>
        <translation>PLY point cloud (*.ply)</translation>
    </message>
    <message>
        <source>Export revolution</source>
        <translation>Export revolution</translation>
    </message>
    <message>
        <source>Revolution exported to %1</source>
        <translation>Revolution exported to %1</translation>
    </message>
    <message>
        <source>The audit trail cannot be written: %1</source>
        <translation>The audit trail cannot be written: %1</translation>
    </message>
    <message>
        <source>No playback file is loaded: open a recording with the playback button first.</source>
        <translation>No playback file is loaded: open a recording with the playback button first.</translation>
    </message>
    <message>
        <source>The working zone list is empty: read, import or draw zones first.</source>
        <translation>The working zone list is empty: read, import or draw zones first.</translation>
    </message>
    <message>
        <source>Connect a scanner to write its commissioning report.</source>
        <translation>Connect a scanner to write its commissioning report.</translation>
    </message>
    <message>
        <source>Commissioning report</source>
        <translation>Commissioning report</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>Cannot write %1: the folder cannot be written.</source>
        <translation>Cannot write %1: the folder cannot be written.</translation>
    </message>
    <message>
        <source>the scanner was disconnected.</source>
        <translation>the scanner was disconnected.</translation>
    </message>
</context>
<context>
    <name>Page_Admin</name>
    <message>
        <source>Admin</source>
        <translation>Admin</translation>
    </message>
    <message>
        <source>Command, e.g. LSRPM:600H</source>
        <translation>Command, e.g. LSRPM:600H</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>盒子相关</source>
        <translation>Box related</translation>
    </message>
    <message>
        <source>可执行文件打包</source>
        <translation>Pack executable</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>box firmware file (*.*)</source>
        <translation>box firmware file (*.*)</translation>
    </message>
    <message>
        <source>error</source>
        <translation>error</translation>
    </message>
    <message>
        <source>%1 is open failed!</source>
        <translation>%1 is open failed!</translation>
    </message>
    <message>
        <source>%1 is too large or cannot be read!</source>
        <translation>%1 is too large or cannot be read!</translation>
    </message>
    <message>
        <source>%1 is empty!</source>
        <translation>%1 is empty!</translation>
    </message>
    <message>
        <source>%1 could not be written!</source>
        <translation>%1 could not be written!</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>warm</translation>
    </message>
    <message>
        <source>Generate bin OK</source>
        <translation>Generate bin OK</translation>
    </message>
</context>
<context>
    <name>Page_Box</name>
    <message>
        <source>Algorithm Box</source>
        <translation>Algorithm Box</translation>
    </message>
    <message>
        <source>Lidar Status</source>
        <translation>Lidar Status</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>IP:</source>
        <translation>IP:</translation>
    </message>
    <message>
        <source>mask:</source>
        <translation>mask:</translation>
    </message>
    <message>
        <source>gateway:</source>
        <translation>gateway:</translation>
    </message>
    <message>
        <source>Get</source>
        <translation>Get</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>Lidar Config</source>
        <translation>Lidar Config</translation>
    </message>
    <message>
        <source>Lidars</source>
        <translation>Lidars</translation>
    </message>
    <message>
        <source>Port A</source>
        <translation>Port A</translation>
    </message>
    <message>
        <source>Port B</source>
        <translation>Port B</translation>
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
        <translation>Add</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Version and Upgrade</source>
        <translation>Version and Upgrade</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>File:</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>ip:port</source>
        <translation>ip:port</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>warm</translation>
    </message>
    <message>
        <source>algorithm box is reboot!</source>
        <translation>algorithm box is reboot!</translation>
    </message>
    <message>
        <source>error</source>
        <translation>error</translation>
    </message>
    <message>
        <source>Another device announces this address too</source>
        <translation>Another device announces this address too</translation>
    </message>
    <message>
        <source>Please enter a complete IP address, mask and gateway</source>
        <translation>Please enter a complete IP address, mask and gateway</translation>
    </message>
    <message>
        <source>IP is occupied, please reset</source>
        <translation>IP is occupied, please reset</translation>
    </message>
    <message>
        <source>please edit!</source>
        <translation>please edit!</translation>
    </message>
    <message>
        <source>Configuration already exists, please add it again</source>
        <translation>Configuration already exists, please add it again</translation>
    </message>
    <message>
        <source>add lidar config failed:format error,row:%1</source>
        <translation>add lidar config failed:format error,row:%1</translation>
    </message>
    <message>
        <source>add lidar config failed:ip format error,row:%1</source>
        <translation>add lidar config failed:ip format error,row:%1</translation>
    </message>
    <message>
        <source>add lidar config failed:port range error,row:%1</source>
        <translation>add lidar config failed:port range error,row:%1</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>box firmware file (*.bin)</source>
        <translation>box firmware file (*.bin)</translation>
    </message>
    <message>
        <source>%1 is not exist!</source>
        <translation>%1 is not exist!</translation>
    </message>
</context>
<context>
    <name>Page_Config</name>
    <message>
        <source>常规设置</source>
        <translation>General settings</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>日志默认路径:</source>
        <translation>Default log path:</translation>
    </message>
    <message>
        <source>选择目录</source>
        <translation>Choose directory</translation>
    </message>
    <message>
        <source>配置参数同步</source>
        <translation>Parameter synchronisation</translation>
    </message>
    <message>
        <source>上传方式</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>I/O</source>
        <translation>I/O</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>防区</source>
        <translation>Zones</translation>
    </message>
    <message>
        <source>运行参数</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>网络设置</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>当前雷达导入</source>
        <translation>Import into the connected scanner</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <source>类型：</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>串口款</source>
        <translation>Serial model</translation>
    </message>
    <message>
        <source>网络款</source>
        <translation>Network model</translation>
    </message>
    <message>
        <source>串口名称：</source>
        <translation>Serial port name:</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>文件路径：</source>
        <translation>File path:</translation>
    </message>
    <message>
        <source>检测可用设备</source>
        <translation>Find devices</translation>
    </message>
    <message>
        <source>大概需要8-9S等待时间</source>
        <translation>Takes about 8–9 s</translation>
    </message>
    <message>
        <source>升级</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>error</source>
        <translation>error</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>warm</translation>
    </message>
    <message>
        <source>The Language configuration must be rebooted to take effect</source>
        <translation>The Language configuration must be rebooted to take effect</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>Open Directory</translation>
    </message>
    <message>
        <source>please connect lidar first!</source>
        <translation>please connect lidar first!</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>lidar param file (*.lidar)</source>
        <translation>lidar param file (*.lidar)</translation>
    </message>
    <message>
        <source>The file comes from another lidar model (%1); only its zones can be imported.</source>
        <translation>The file comes from another lidar model (%1); only its zones can be imported.</translation>
    </message>
    <message>
        <source>%1 not sent: destination address invalid</source>
        <translation>%1 not sent: destination address invalid</translation>
    </message>
    <message>
        <source>%1 not sent: network address invalid</source>
        <translation>%1 not sent: network address invalid</translation>
    </message>
    <message>
        <source>COM Name:</source>
        <translation>COM Name:</translation>
    </message>
    <message>
        <source>Baud Rate:</source>
        <translation>Baud Rate:</translation>
    </message>
    <message>
        <source>IP:</source>
        <translation>IP:</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Firmware(*.bin *.lhl)</source>
        <translation>Firmware(*.bin *.lhl)</translation>
    </message>
    <message>
        <source>Please make sure to use it offline!</source>
        <translation>Please make sure to use it offline!</translation>
    </message>
    <message>
        <source>Please find and choose a device first!</source>
        <translation>Please find and choose a device first!</translation>
    </message>
</context>
<context>
    <name>Page_Dev</name>
    <message>
        <source>Device list</source>
        <translation>Device list</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>Num </source>
        <translation>Num </translation>
    </message>
    <message>
        <source>SN</source>
        <translation>SN</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Heartbeat</source>
        <translation>Heartbeat</translation>
    </message>
    <message>
        <source>RPM/HZ</source>
        <translation>RPM/HZ</translation>
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
        <translation>Volt</translation>
    </message>
    <message>
        <source>Alarm</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>State</source>
        <translation>State</translation>
    </message>
    <message>
        <source>Box</source>
        <translation>Box</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>warm</translation>
    </message>
    <message>
        <source>Observation Zone</source>
        <translation>Observation Zone</translation>
    </message>
    <message>
        <source>Alert Zone</source>
        <translation>Alert Zone</translation>
    </message>
    <message>
        <source>Alarm Zone</source>
        <translation>Alarm Zone</translation>
    </message>
    <message>
        <source>Masking!</source>
        <translation>Masking!</translation>
    </message>
    <message>
        <source>No data</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>No zone active</source>
        <translation>No zone active</translation>
    </message>
    <message>
        <source>System error</source>
        <translation>System error</translation>
    </message>
    <message>
        <source>NET disconnected</source>
        <translation>NET disconnected</translation>
    </message>
    <message>
        <source>USB disconnected</source>
        <translation>USB disconnected</translation>
    </message>
    <message>
        <source>System Upgrade</source>
        <translation>System Upgrade</translation>
    </message>
    <message>
        <source>Zone not defined</source>
        <translation>Zone not defined</translation>
    </message>
    <message>
        <source>Box connect</source>
        <translation>Box connect</translation>
    </message>
    <message>
        <source>please choose one lidar!</source>
        <translation>please choose one lidar!</translation>
    </message>
    <message>
        <source>Existing device is connected. Do you want to disconnect the existing device to try a new connection?</source>
        <translation>Existing device is connected. Do you want to disconnect the existing device to try a new connection?</translation>
    </message>
    <message>
        <source>The existing device is connected. Do you want to disconnect the new device!</source>
        <translation>The existing device is connected. Do you want to disconnect the new device!</translation>
    </message>
    <message>
        <source>The Lidar does not exist!</source>
        <translation>The Lidar does not exist!</translation>
    </message>
    <message>
        <source>Currently connected to the serial port, refreshing will disconnect the serial port connection. Do you want to continue?</source>
        <translation>Currently connected to the serial port, refreshing will disconnect the serial port connection. Do you want to continue?</translation>
    </message>
    <message>
        <source>an algorithm box</source>
        <translation>an algorithm box</translation>
    </message>
    <message>
        <source>This address is claimed by more than one device: %1</source>
        <translation>This address is claimed by more than one device: %1</translation>
    </message>
    <message>
        <source>Address conflict: %1 claimed by more than one device</source>
        <translation>Address conflict: %1 claimed by more than one device</translation>
    </message>
</context>
<context>
    <name>Page_DrawZone</name>
    <message>
        <source>DrawZone Tool</source>
        <translation>DrawZone Tool</translation>
    </message>
    <message>
        <source>Choose Shape</source>
        <translation>Choose Shape</translation>
    </message>
    <message>
        <source>ellipse</source>
        <translation>ellipse</translation>
    </message>
    <message>
        <source>rect</source>
        <translation>rect</translation>
    </message>
    <message>
        <source>sector</source>
        <translation>sector</translation>
    </message>
    <message>
        <source>polygon</source>
        <translation>polygon</translation>
    </message>
    <message>
        <source>1.ellipse</source>
        <translation>1.ellipse</translation>
    </message>
    <message>
        <source>2.rect</source>
        <translation>2.rect</translation>
    </message>
    <message>
        <source>3.sector</source>
        <translation>3.sector</translation>
    </message>
    <message>
        <source>4.polygon</source>
        <translation>4.polygon</translation>
    </message>
    <message>
        <source>Parameter settings</source>
        <translation>Parameter settings</translation>
    </message>
    <message>
        <source>kind</source>
        <translation>kind</translation>
    </message>
    <message>
        <source>1.Observation area</source>
        <translation>1.Observation area</translation>
    </message>
    <message>
        <source>2.Warning area</source>
        <translation>2.Warning area</translation>
    </message>
    <message>
        <source>3.Alarm area</source>
        <translation>3.Alarm area</translation>
    </message>
    <message>
        <source>zone</source>
        <translation>zone</translation>
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
        <translation>polygon mode</translation>
    </message>
    <message>
        <source>filter polygon</source>
        <translation>filter polygon</translation>
    </message>
    <message>
        <source>Center X</source>
        <translation>Center X</translation>
    </message>
    <message>
        <source>Center Y</source>
        <translation>Center Y</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>Coordinate Settings2</source>
        <translation>Coordinate Settings2</translation>
    </message>
    <message>
        <source>多边形绘制说明：使用鼠标左键点击表示顶点，鼠标右键表示连成矩形（请保证至少3个点）</source>
        <translation>Polygon drawing: left click adds a vertex, right click closes the shape (at least three points)</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>delete</translation>
    </message>
    <message>
        <source>save</source>
        <translation>save</translation>
    </message>
    <message>
        <source>Num</source>
        <translation>Num</translation>
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
        <translation>error</translation>
    </message>
    <message>
        <source>The number of alarm zones more than the maximum limit!</source>
        <translation>The number of alarm zones more than the maximum limit!</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>Buttom</source>
        <translation>Buttom</translation>
    </message>
    <message>
        <source>Start angle</source>
        <translation>Start angle</translation>
    </message>
    <message>
        <source>End angle</source>
        <translation>End angle</translation>
    </message>
    <message>
        <source>Far distance</source>
        <translation>Far distance</translation>
    </message>
    <message>
        <source>Near distance</source>
        <translation>Near distance</translation>
    </message>
    <message>
        <source>The sector near distance  cannot be less than 10mm</source>
        <translation>The sector near distance  cannot be less than 10mm</translation>
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
        <translation>Basic information</translation>
    </message>
    <message>
        <source>编号:</source>
        <translation>Device number:</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>型号:</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>序列号:</source>
        <translation>Serial number:</translation>
    </message>
    <message>
        <source>运行</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>转速</source>
        <translation>Rotation speed</translation>
    </message>
    <message>
        <source>数据上传方式</source>
        <translation>Data upload mode</translation>
    </message>
    <message>
        <source>0.无上传</source>
        <translation>0.No upload</translation>
    </message>
    <message>
        <source>1.仅数据</source>
        <translation>1.Data only</translation>
    </message>
    <message>
        <source>2.仅报警</source>
        <translation>2.Alarm only</translation>
    </message>
    <message>
        <source>3.数据+报警</source>
        <translation>3.Data+alarm</translation>
    </message>
    <message>
        <source>去拖点</source>
        <translation>Trailing-point filter</translation>
    </message>
    <message>
        <source>波特率设置</source>
        <translation>Baud rate setting</translation>
    </message>
    <message>
        <source>过滤圈数</source>
        <translation>Filter revolutions</translation>
    </message>
    <message>
        <source>过滤点数</source>
        <translation>Filter points</translation>
    </message>
    <message>
        <source>目标分割</source>
        <translation>Target segmentation</translation>
    </message>
    <message>
        <source>目标连续性距离阈值</source>
        <translation>Target continuity distance threshold</translation>
    </message>
    <message>
        <source>旋转方向</source>
        <translation>Rotation direction</translation>
    </message>
    <message>
        <source>（勾选为逆时针方向，不勾选为顺时针方向）</source>
        <translation>(checked = counter-clockwise, unchecked = clockwise)</translation>
    </message>
    <message>
        <source>防区切换方式</source>
        <translation>Zone switching mode</translation>
    </message>
    <message>
        <source>硬件切换</source>
        <translation>Hardware</translation>
    </message>
    <message>
        <source>软件切换</source>
        <translation>Software</translation>
    </message>
    <message>
        <source>去拖点系数</source>
        <translation>Trailing-point filter factor</translation>
    </message>
    <message>
        <source>数据平滑</source>
        <translation>Data smoothing</translation>
    </message>
    <message>
        <source>通讯</source>
        <translation>Communication</translation>
    </message>
    <message>
        <source>雷达IP</source>
        <translation>Lidar IP</translation>
    </message>
    <message>
        <source>掩码</source>
        <translation>Mask</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>上传IP</source>
        <translation>Upload IP</translation>
    </message>
    <message>
        <source>上传端口</source>
        <translation>Upload port</translation>
    </message>
    <message>
        <source>固定上传</source>
        <translation>Fixed upload address</translation>
    </message>
    <message>
        <source>I/O配置</source>
        <translation>I/O configuration</translation>
    </message>
    <message>
        <source>输出1默认开</source>
        <translation>Output 1 on by default</translation>
    </message>
    <message>
        <source>输出2默认开</source>
        <translation>Output 2 on by default</translation>
    </message>
    <message>
        <source>输出3默认开</source>
        <translation>Output 3 on by default</translation>
    </message>
    <message>
        <source>输出4默认开</source>
        <translation>Output 4 on by default</translation>
    </message>
    <message>
        <source>输出映射</source>
        <translation>Output mapping</translation>
    </message>
    <message>
        <source>当前刷新时间：</source>
        <translation>Current refresh time:</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>观察</source>
        <translation>Observe</translation>
    </message>
    <message>
        <source>警戒</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>镜头遮掩</source>
        <translation>Lens obscured</translation>
    </message>
    <message>
        <source>无数据</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>防区已设置</source>
        <translation>Zone set</translation>
    </message>
    <message>
        <source>系统故障</source>
        <translation>System fault</translation>
    </message>
    <message>
        <source>系统正常</source>
        <translation>System normal</translation>
    </message>
    <message>
        <source>网络连接正常</source>
        <translation>Network connected</translation>
    </message>
    <message>
        <source>防区更新中</source>
        <translation>Zone updating</translation>
    </message>
    <message>
        <source>零位信号</source>
        <translation>Zero-position signal</translation>
    </message>
    <message>
        <source>预留位</source>
        <translation>Reserved</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>warm</translation>
    </message>
    <message>
        <source>The current Lidar cannot be recognized %1. Please manually select the specified Lidar</source>
        <translation>The current Lidar cannot be recognized %1. Please manually select the specified Lidar</translation>
    </message>
    <message>
        <source>输出</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>Unable to find the current model of lidar, please contact the developer!</source>
        <translation>Unable to find the current model of lidar, please contact the developer!</translation>
    </message>
    <message>
        <source>error</source>
        <translation>error</translation>
    </message>
    <message>
        <source>Setting number parameter error!</source>
        <translation>Setting number parameter error!</translation>
    </message>
    <message>
        <source>set udp address inlegal!</source>
        <translation>set udp address inlegal!</translation>
    </message>
    <message>
        <source>Lidar ip and upload ip must be on the same network segment!</source>
        <translation>Lidar ip and upload ip must be on the same network segment!</translation>
    </message>
</context>
<context>
    <name>Page_Main</name>
    <message>
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>Quick functions</source>
        <translation>Quick functions</translation>
    </message>
    <message>
        <source>Connection history (double-click to reconnect)</source>
        <translation>Connection history (double-click to reconnect)</translation>
    </message>
    <message>
        <source>	The  lidar upper computer software is mainly used as a visualization tool for the company&apos;s  lidar series products.</source>
        <translation>	The  lidar upper computer software is mainly used as a visualization tool for the company&apos;s  lidar series products.</translation>
    </message>
    <message>
        <source>save log</source>
        <translation>save log</translation>
    </message>
    <message>
        <source>open dev</source>
        <translation>open dev</translation>
    </message>
    <message>
        <source>warm</source>
        <translation>warm</translation>
    </message>
    <message>
        <source>config.ini file is not correct!</source>
        <translation>config.ini file is not correct!</translation>
    </message>
    <message>
        <source>Audit trail</source>
        <translation>Audit trail</translation>
    </message>
    <message>
        <source>Every change made to a scanner or box by this program and by vantrel-cli</source>
        <translation>Every change made to a scanner or box by this program and by vantrel-cli</translation>
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
    <message>
        <source>Choose range must lie within 0 to 360!</source>
        <translation>Choose range must lie within 0 to 360!</translation>
    </message>
</context>
<context>
    <name>Page_lidar</name>
    <message>
        <source>Lidar Cloud</source>
        <translation>Lidar Cloud</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message>
        <source>No device connected</source>
        <translation>No device connected</translation>
    </message>
    <message>
        <source>Connected (%1)</source>
        <translation>Connected (%1)</translation>
    </message>
    <message>
        <source>alarm zone:%1</source>
        <translation>alarm zone:%1</translation>
    </message>
    <message>
        <source>status:%1</source>
        <translation>status:%1</translation>
    </message>
    <message>
        <source>sector data</source>
        <translation>sector data</translation>
    </message>
    <message>
        <source>开始旋转</source>
        <translation>Start Rotation</translation>
    </message>
    <message>
        <source>停止旋转</source>
        <translation>Stop Rotation</translation>
    </message>
    <message>
        <source>数据回放</source>
        <translation>Playback</translation>
    </message>
    <message>
        <source>暂停播放</source>
        <translation>Pause playback</translation>
    </message>
    <message>
        <source>目标分辨率</source>
        <translation>Target resolution</translation>
    </message>
    <message>
        <source>sector data / draw Defense Zone</source>
        <translation>sector data / draw Defense Zone</translation>
    </message>
    <message>
        <source>选择防区</source>
        <translation>Select zone</translation>
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
        <translation>Switch</translation>
    </message>
    <message>
        <source>激活防区:F</source>
        <translation>Active zone:F</translation>
    </message>
    <message>
        <source>读取防区</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>写入防区</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>编辑防区</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>复制防区</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>编辑防区:F</source>
        <translation>Edit zone:F</translation>
    </message>
    <message>
        <source>清空防区</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>离线设置</source>
        <translation>Offline settings</translation>
    </message>
    <message>
        <source>导出防区</source>
        <translation>Export zones</translation>
    </message>
    <message>
        <source>导入防区</source>
        <translation>Import zones</translation>
    </message>
    <message>
        <source>旋转方向</source>
        <translation>Rotation direction</translation>
    </message>
    <message>
        <source>clockwise</source>
        <translation>clockwise</translation>
    </message>
    <message>
        <source>counterclockwise</source>
        <translation>counterclockwise</translation>
    </message>
    <message>
        <source>点云连线</source>
        <translation>Join points</translation>
    </message>
    <message>
        <source>方格背景</source>
        <translation>Grid background</translation>
    </message>
    <message>
        <source>invert</source>
        <translation>invert</translation>
    </message>
    <message>
        <source>点云大小</source>
        <translation>Point size</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>put down</source>
        <translation>put down</translation>
    </message>
    <message>
        <source>背景颜色</source>
        <translation>Background colour</translation>
    </message>
    <message>
        <source>black</source>
        <translation>black</translation>
    </message>
    <message>
        <source>white</source>
        <translation>white</translation>
    </message>
    <message>
        <source>center</source>
        <translation>center</translation>
    </message>
    <message>
        <source>其他设置</source>
        <translation>Other settings</translation>
    </message>
    <message>
        <source>日志记录</source>
        <translation>Log Recording</translation>
    </message>
    <message>
        <source>内部测试</source>
        <translation>Internal test</translation>
    </message>
    <message>
        <source>输入引脚：</source>
        <translation>Input pins:</translation>
    </message>
    <message>
        <source>引脚编号：</source>
        <translation>Pin number:</translation>
    </message>
    <message>
        <source>输出信号：</source>
        <translation>Output signals:</translation>
    </message>
    <message>
        <source>out引脚：</source>
        <translation>Out pins:</translation>
    </message>
    <message>
        <source>draw Defense Zone</source>
        <translation>draw Defense Zone</translation>
    </message>
    <message>
        <source>error</source>
        <translation>error</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>data (*.dump *.data *.txt)</source>
        <translation>data (*.dump *.data *.txt)</translation>
    </message>
    <message>
        <source>edit zone:%1</source>
        <translation>edit zone:%1</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>custom</source>
        <translation>custom</translation>
    </message>
    <message>
        <source>reset</source>
        <translation>reset</translation>
    </message>
    <message>
        <source>Zone ID:%1:The number of alarm zones more than the maximum limit!</source>
        <translation>Zone ID:%1:The number of alarm zones more than the maximum limit!</translation>
    </message>
    <message>
        <source>The number of alarm zones more than the maximum limit!</source>
        <translation>The number of alarm zones more than the maximum limit!</translation>
    </message>
    <message>
        <source>lidar param file (*.lidar)</source>
        <translation>lidar param file (*.lidar)</translation>
    </message>
    <message>
        <source>Off-line import of defense zones failed!</source>
        <translation>Off-line import of defense zones failed!</translation>
    </message>
    <message>
        <source>Maximum distance of graphic drawing cannot exceed 40 meters!</source>
        <translation>Maximum distance of graphic drawing cannot exceed 40 meters!</translation>
    </message>
    <message>
        <source>Export revolution…</source>
        <translation>Export revolution…</translation>
    </message>
    <message>
        <source>Write the revolution on screen, live or played back, as CSV or PLY</source>
        <translation>Write the revolution on screen, live or played back, as CSV or PLY</translation>
    </message>
    <message>
        <source>Zone what-if…</source>
        <translation>Zone what-if…</translation>
    </message>
    <message>
        <source>Check the playback file against the working zone list</source>
        <translation>Check the playback file against the working zone list</translation>
    </message>
    <message>
        <source>Commissioning report…</source>
        <translation>Commissioning report…</translation>
    </message>
</context>
<context>
    <name>ParamFile</name>
    <message>
        <source>load file error!</source>
        <translation>load file error!</translation>
    </message>
    <message>
        <source>The parameter file is cut short.</source>
        <translation>The parameter file is cut short.</translation>
    </message>
    <message>
        <source>The parameter file has a section of the wrong length.</source>
        <translation>The parameter file has a section of the wrong length.</translation>
    </message>
    <message>
        <source>The file is not a lidar parameter file.</source>
        <translation>The file is not a lidar parameter file.</translation>
    </message>
    <message>
        <source>The parameter block in the file names no valid lidar model.</source>
        <translation>The parameter block in the file names no valid lidar model.</translation>
    </message>
</context>
<context>
    <name>PlaybackProc</name>
    <message>
        <source>The playback file cannot exceed 50MB!</source>
        <translation>The playback file cannot exceed 50MB!</translation>
    </message>
    <message>
        <source>The playback file is open failed!</source>
        <translation>The playback file is open failed!</translation>
    </message>
    <message>
        <source>The playback file is empty!</source>
        <translation>The playback file is empty!</translation>
    </message>
    <message>
        <source>no revolutions in %1</source>
        <translation>no revolutions in %1</translation>
    </message>
</context>
<context>
    <name>Recorder</name>
    <message>
        <source>Cannot open the log file %1: %2</source>
        <translation>Cannot open the log file %1: %2</translation>
    </message>
</context>
<context>
    <name>RecvDataProc</name>
    <message>
        <source>select error!</source>
        <translation>select error!</translation>
    </message>
    <message>
        <source>The serial port %1 is no longer available; disconnected!</source>
        <translation>The serial port %1 is no longer available; disconnected!</translation>
    </message>
    <message>
        <source>Serial port data not detected for a long time, automatic disconnection!</source>
        <translation>Serial port data not detected for a long time, automatic disconnection!</translation>
    </message>
    <message>
        <source>The device closed the connection!</source>
        <translation>The device closed the connection!</translation>
    </message>
</context>
<context>
    <name>RecvTCPProc</name>
    <message>
        <source>select error!</source>
        <translation>select error!</translation>
    </message>
    <message>
        <source>The device closed the connection!</source>
        <translation>The device closed the connection!</translation>
    </message>
</context>
<context>
    <name>ReportWriter</name>
    <message>
        <source>The scanner did not finish answering in time.</source>
        <translation>The scanner did not finish answering in time.</translation>
    </message>
    <message>
        <source>The zones could not be read.</source>
        <translation>The zones could not be read.</translation>
    </message>
    <message>
        <source>read back from the scanner</source>
        <translation>read back from the scanner</translation>
    </message>
    <message>
        <source>The scanner did not send its parameters.</source>
        <translation>The scanner did not send its parameters.</translation>
    </message>
    <message>
        <source>The scanner stopped answering while its zones were read.</source>
        <translation>The scanner stopped answering while its zones were read.</translation>
    </message>
    <message>
        <source>The commissioning report was written to %1 (%2 pages).</source>
        <translation>The commissioning report was written to %1 (%2 pages).</translation>
    </message>
    <message>
        <source>No report was written: %1</source>
        <translation>No report was written: %1</translation>
    </message>
</context>
<context>
    <name>RevolutionExporter</name>
    <message>
        <source>%1 is a folder</source>
        <translation>%1 is a folder</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>cannot write %1: %2</translation>
    </message>
    <message>
        <source>%1 exists and is not a folder</source>
        <translation>%1 exists and is not a folder</translation>
    </message>
    <message>
        <source>%1 exists and is not empty</source>
        <translation>%1 exists and is not empty</translation>
    </message>
    <message>
        <source>cannot write %1: the folder cannot be moved into place</source>
        <translation>cannot write %1: the folder cannot be moved into place</translation>
    </message>
</context>
<context>
    <name>ZoneAlarm</name>
    <message>
        <source>Zone ID:%1:The number of alarm zones more than the maximum limit!</source>
        <translation>Zone ID:%1:The number of alarm zones more than the maximum limit!</translation>
    </message>
    <message>
        <source>The current parameter cannot all zero!</source>
        <translation>The current parameter cannot all zero!</translation>
    </message>
    <message>
        <source>The current parameter cannot form a sector!</source>
        <translation>The current parameter cannot form a sector!</translation>
    </message>
    <message>
        <source>The sector near distance  cannot be less than 10mm</source>
        <translation>The sector near distance  cannot be less than 10mm</translation>
    </message>
    <message>
        <source>The drawing distance of the alarm zone exceeds %1 mm, zone id %2</source>
        <translation>The drawing distance of the alarm zone exceeds %1 mm, zone id %2</translation>
    </message>
    <message>
        <source>The current parameter cannot form a rectangle!</source>
        <translation>The current parameter cannot form a rectangle!</translation>
    </message>
    <message>
        <source>read alarm zone</source>
        <translation>read alarm zone</translation>
    </message>
    <message>
        <source>write alarm zone</source>
        <translation>write alarm zone</translation>
    </message>
    <message>
        <source>query</source>
        <translation>query</translation>
    </message>
    <message>
        <source>reply too short:%1</source>
        <translation>reply too short:%1</translation>
    </message>
    <message>
        <source>The alarm zone is not initialized or there is an error writing. Please clear the alarm zone and read again</source>
        <translation>The alarm zone is not initialized or there is an error writing. Please clear the alarm zone and read again</translation>
    </message>
    <message>
        <source>size %1 != %2</source>
        <translation>size %1 != %2</translation>
    </message>
    <message>
        <source>error:%1 + %2 &gt; %3</source>
        <translation>error:%1 + %2 &gt; %3</translation>
    </message>
    <message>
        <source>sub packet len %1 !=512</source>
        <translation>sub packet len %1 !=512</translation>
    </message>
    <message>
        <source>offset:%1 total:%2</source>
        <translation>offset:%1 total:%2</translation>
    </message>
    <message>
        <source>sub packet hole %1</source>
        <translation>sub packet hole %1</translation>
    </message>
    <message>
        <source>crc error:PC:%1 :MCU:%2</source>
        <translation>crc error:PC:%1 :MCU:%2</translation>
    </message>
    <message>
        <source>bad zone header</source>
        <translation>bad zone header</translation>
    </message>
    <message>
        <source>crc error</source>
        <translation>crc error</translation>
    </message>
    <message>
        <source>init</source>
        <translation>init</translation>
    </message>
    <message>
        <source>ZoneDef already</source>
        <translation>ZoneDef already</translation>
    </message>
    <message>
        <source>resp result:%1 msg:%2</source>
        <translation>resp result:%1 msg:%2</translation>
    </message>
    <message>
        <source>unexpected reply offset:%1</source>
        <translation>unexpected reply offset:%1</translation>
    </message>
    <message>
        <source>OP_ZONE_ERASE</source>
        <translation>OP_ZONE_ERASE</translation>
    </message>
    <message>
        <source>success</source>
        <translation>success</translation>
    </message>
    <message>
        <source>OP_ZONE_RELOAD</source>
        <translation>OP_ZONE_RELOAD</translation>
    </message>
    <message>
        <source>zone list count %1 outside 0..64</source>
        <translation>zone list count %1 outside 0..64</translation>
    </message>
    <message>
        <source>zone entry %1 has an unknown shape, kind or point count</source>
        <translation>zone entry %1 has an unknown shape, kind or point count</translation>
    </message>
</context>
<context>
    <name>ZoneWriteCheck</name>
    <message>
        <source>Zones written and verified (CRC %1)</source>
        <translation>Zones written and verified (CRC %1)</translation>
    </message>
    <message>
        <source>Zone %1 read back differs from what was written</source>
        <translation>Zone %1 read back differs from what was written</translation>
    </message>
    <message>
        <source>Zones written, but reading them back for the check failed</source>
        <translation>Zones written, but reading them back for the check failed</translation>
    </message>
</context>
</TS>
