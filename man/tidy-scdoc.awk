# scdoc opens a paragraph around every heading and before the end of every
# indented block, and mandoc warns of each such empty paragraph. This keeps a
# paragraph break only where text follows it, after any block end between.
$0 == ".P" { pending = 1; next }
/^\.S[HS] / { pending = 0; heading = 1; print; next }
/^\.RE/ { print; next }
{
    if (pending && !heading) print ".P"
    pending = 0
    heading = 0
    print
}
