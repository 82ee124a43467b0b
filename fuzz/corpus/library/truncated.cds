XTQ-CDS 1
table CDSTem
field TemNo string 6
field TemFx string 6
field TemFormula string 1024
field TemVn int32
field TemAlias string 120
records 2
record "1" "y" "a+b*x1" 1 "x1