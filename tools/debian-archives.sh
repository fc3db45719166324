# Sourced by the checks that fetch from Debian: sets `mirror` to the first Debian archive and
# `security` to the first security archive among this machine's apt sources (either may be
# empty).
archives=$(
    {
        cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -n 's/^URIs:[[:space:]]*//p'
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            sed -n 's/^deb[[:space:]]\{1,\}\(\[[^]]*\][[:space:]]*\)\{0,1\}\([^[:space:]]*\).*/\2/p'
    } | tr ' ' '\n' | grep -v '^$'
)
mirror=$(echo "$archives" | grep -v security | head -n 1)
security=$(echo "$archives" | grep security | head -n 1)
