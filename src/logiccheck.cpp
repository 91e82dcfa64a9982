// Linked with the whole logic library and without Qt Widgets (see CMakeLists.txt): it builds only
// while no logic file uses a widget.
int main()
{
    return 0;
}
