#include "filesvc/AliasMounting.h"

AliasMounting& AliasMounting::shared()
{
    static AliasMounting mounting;
    return mounting;
}
