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
    <message>
        <source>Choose range must lie within 0 to 360!</source>
        <translation>Choose range must lie within 0 to 360!</translation>
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
        <source>mainboard's voltage too high</source>
        <translation>mainboard's voltage too high</translation>
    </message>
    <message>
        <source>Ranging Module low voltage</source>
        <translation>Ranging Module low voltage</translation>
    </message>
    <message>
        <source>Ranging Module's voltage too high</source>
        <translation>Ranging Module's voltage too high</translation>
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
</context>
<context>
    <name>Page_lidar</name>
    <message>
        <source>Lidar Cloud</source>
        <translation>Lidar Cloud</translation>
    </message>
    <message>
        <source>Start Rotation</source>
        <translation>Start Rotation</translation>
    </message>
    <message>
        <source>Stop Rotation</source>
        <translation>Stop Rotation</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message>
        <source>Log Recording</source>
        <translation>Log Recording</translation>
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
</context>
</TS>
