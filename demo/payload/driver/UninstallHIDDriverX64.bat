@echo off
rem Removing the HID touch driver (x64); the driver files are placeholders for now.
echo Removing HID driver from %~dp0HID\amd64
exit /b 0
