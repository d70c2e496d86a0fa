// The demo company's employee attribute definitions and the employees' values.
#include "data/demo_tables.h"

QList<DemoTable> demoAttributes()
{
    return {};
}
