#include "devices/CTransporter.h"
