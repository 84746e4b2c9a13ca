#include "platform/joystickdevice.h"

#include <linux/input-event-codes.h>
#include <linux/joystick.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

static_assert(sizeof(joystickdev::Event) == sizeof(js_event));
static_assert(joystickdev::EventButton == JS_EVENT_BUTTON && joystickdev::EventAxis == JS_EVENT_AXIS
              && joystickdev::EventInit == JS_EVENT_INIT);

namespace joystickdev {

int OpenJoystick(int id, const std::string &folder)
{
    if (id < 0)
        return -ENODEV;
    const std::string path = folder + "/js" + std::to_string(id);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return fd >= 0 ? fd : -errno;
}

bool ReadCapabilities(int fd, Capabilities &caps)
{
    unsigned char axes = 0;
    unsigned char buttons = 0;
    if (::ioctl(fd, JSIOCGAXES, &axes) != 0 || ::ioctl(fd, JSIOCGBUTTONS, &buttons) != 0)
        return false;
    caps.axes = axes;
    caps.buttons = buttons;
    char name[128] = {};
    if (::ioctl(fd, JSIOCGNAME(sizeof name - 1), name) >= 0)
        caps.name = name;

    // Which record number carries which axis; without the map, the first two are X and Y.
    unsigned char map[ABS_CNT] = {};
    caps.xAxis = axes > 0 ? 0 : -1;
    caps.yAxis = axes > 1 ? 1 : -1;
    caps.zAxis = -1;
    if (::ioctl(fd, JSIOCGAXMAP, map) >= 0) {
        caps.xAxis = caps.yAxis = -1;
        for (int i = 0; i < axes && i < ABS_CNT; ++i) {
            if (map[i] == ABS_X && caps.xAxis < 0)
                caps.xAxis = i;
            else if (map[i] == ABS_Y && caps.yAxis < 0)
                caps.yAxis = i;
            else if ((map[i] == ABS_Z || map[i] == ABS_THROTTLE) && caps.zAxis < 0)
                caps.zAxis = i;
        }
    }
    return true;
}

bool DeviceCapabilities(int id, Capabilities &caps, const std::string &folder)
{
    const int fd = OpenJoystick(id, folder);
    if (fd < 0)
        return false;
    const bool read = ReadCapabilities(fd, caps);
    ::close(fd);
    return read;
}

} // namespace joystickdev
