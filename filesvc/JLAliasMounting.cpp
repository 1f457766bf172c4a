#include "filesvc/JLAliasMounting.h"

JLAliasMounting& JLAliasMounting::shared()
{
    static JLAliasMounting mounting;
    return mounting;
}
