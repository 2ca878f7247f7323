@echo off
rem Removing the HID touch driver (x86); the driver files are placeholders for now.
echo Removing HID driver from %~dp0HID\x86
exit /b 0
