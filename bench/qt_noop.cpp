// The floor for a small module: a program that starts, loads Qt Core and does nothing.
#include <QString>

int main()
{
    return static_cast<int>(QString().size());
}
