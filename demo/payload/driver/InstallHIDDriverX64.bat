@echo off
rem Installing the HID touch driver (x64); the driver files are placeholders for now.
echo Installing HID driver from %~dp0HID\amd64
exit /b 0
