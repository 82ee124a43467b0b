XTQ-CDS 1
table CDSTem
field TemNo string 6
field TemFx string 6
field TemFormula string 1024
field TemVn int32
field TemAlias string 120
records 20
record "01" "y" "a+b*x1" 1 "x1=x"
record "02" "z" "a+b*x1+c*x2" 2 "x1=x,x2=y"
record "03" "z" "a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2" 2 "x1=x,x2=y"
record "04" "y" "a+b*x1+c*x1^2" 1 "x1=x"
record "05" "y" "a+b*x1+c*x1^2+d*x1^3" 1 "x1=x"
record "06" "y" "a+b*x1+c*x1^2+d*x1^3+e*x1^4" 1 "x1=x"
record "07" "y" "a+b*x1+c*x1^2+d*x1^3+e*x1^4+f*x1^5" 1 "x1=x"
record "08" "y" "a*x1" 1 "x1=x"
record "09" "y" "a*x1+b*x1^2" 1 "x1=x"
record "10" "z" "a*x1+b*x2" 2 "x1=x,x2=y"
record "11" "y" "a+b*LN(x1)" 1 "x1=x"
record "12" "y" "a+b*LN(x1)+c*LN(x1)^2" 1 "x1=x"
record "13" "y" "a+b*(1/x1)" 1 "x1=x"
record "14" "y" "a+b*(1/x1)+c*(1/x1^2)" 1 "x1=x"
record "15" "y" "a+b*SQRT(x1)" 1 "x1=x"
record "16" "y" "a+b*x1+c*SQRT(x1)" 1 "x1=x"
record "17" "y" "a+b*EXP(x1)" 1 "x1=x"
record "18" "y" "a+b*EXP(-x1)" 1 "x1=x"
record "19" "u" "a+b*x1+c*x2+d*x3" 3 "x1=x,x2=y,x3=z"
record "20" "z" "a+b*x1+c*x2+d*x1*x2" 2 "x1=x,x2=y"
end
