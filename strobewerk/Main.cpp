// strobewerk: the production. Run it from the folder that holds "res.conf"
// and data/; Escape or closing the window ends it.
#include <SDL.h>

#include "strobewerk/Runtime.h"

int main(int, char**)
{
    return runProduction();
}
