#include "link/CSerialPort.h"
