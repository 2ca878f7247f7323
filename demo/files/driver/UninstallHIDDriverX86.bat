@echo off
rem Demo HID driver script (uninstall, x86): it uninstalls nothing. It records
rem what it was asked to do in %SystemRoot%\Logs\Brenmark\KorvelDrivers.log (a folder only
rem administrators can write to), so that an installation can be checked afterwards.
setlocal
set "log=%SystemRoot%\Logs\Brenmark"
set "inf=%~dp0HID\x86\korvelhid.inf"
set "found=missing"
if exist "%inf%" set "found=present"
if not exist "%log%\" mkdir "%log%"
>>"%log%\KorvelDrivers.log" echo uninstall hid x86 inf=%found% "%inf%" process=%PROCESSOR_ARCHITECTURE% native=%PROCESSOR_ARCHITEW6432%
exit /b 0
